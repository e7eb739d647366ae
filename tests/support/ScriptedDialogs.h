#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <viVavazuruv/IDialogs.h>

namespace viVavazuruv::test {

// Dialogs answered from a script, for tests and unattended runs: each dialog
// takes the next queued answer, and every dialog asked is recorded. A dialog
// nobody queued, or of another kind than the next answer, is recorded as
// unexpected and throws AutomationError (InvalidProcedureCall), so code that
// asks more than its test expected cannot pass unnoticed.
class ScriptedDialogs final : public IDialogs {
public:
    enum class Kind { Message, Input, File };

    // One dialog as it was asked.
    struct Asked {
        Kind kind = Kind::Message;
        QString text;     // message text, input prompt, or the file dialog's initial folder
        QString title;    // empty for a file dialog
        qint32 flags = 0; // message box flags, or the file dialog's option bits
        QString detail;   // an input box's default text, or the file dialog's filter
    };

    // Queue answers in the order the dialogs will come. A non-empty
    // textContains also requires the dialog's text (or prompt) to contain it;
    // meanwhile runs while the dialog is up, before it answers.
    void expectMessage(qint32 answer, const QString& textContains = {},
                       std::function<void()> meanwhile = {}) {
        m_script.push_back({Kind::Message, answer, {}, textContains, std::move(meanwhile), {}});
    }
    void expectInput(const QString& answer, const QString& promptContains = {},
                     std::function<void()> meanwhile = {}) {
        m_script.push_back({Kind::Input, 0, answer, promptContains, std::move(meanwhile), {}});
    }
    // A file dialog answered with file, or cancelled when file is empty.
    void expectFile(std::optional<QString> file, std::function<void()> meanwhile = {}) {
        m_script.push_back({Kind::File, 0, {}, {}, std::move(meanwhile), std::move(file)});
    }

    qint32 MessageBox(const QString& text, qint32 flags, const QString& title) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> OpenFile(const QString& initialFolder, const QString& filter,
                                    qint32 flags) override;
    void Beep() override { ++m_beeps; }

    const QList<Asked>& asked() const { return m_asked; }
    int beeps() const { return m_beeps; }
    // Answers queued and not yet taken.
    qsizetype pending() const { return qsizetype(m_script.size()); }
    // A description of every dialog that had no fitting answer.
    QStringList unexpected() const { return m_unexpected; }

private:
    struct Answer {
        Kind kind = Kind::Message;
        qint32 message = 0;
        QString input;
        QString mustContain;
        std::function<void()> meanwhile;
        std::optional<QString> file;
    };

    // Records the dialog, takes its answer and runs its meanwhile; throws when there is none that fits.
    Answer take(const Asked& asked);
    [[noreturn]] void fail(const QString& description);

    std::deque<Answer> m_script;
    QList<Asked> m_asked;
    QStringList m_unexpected;
    int m_beeps = 0;
};

} // namespace viVavazuruv::test
