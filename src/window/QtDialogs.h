#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <optional>
#include <viVavazuruv/IDialogs.h>

namespace viVavazuruv {

// The dialogs a person answers, as Qt's standard dialogs. Each is modal to
// the active modal dialog or, when there is none, the active window.
class QtDialogs final : public IDialogs {
public:
    // The buttons (in their order), icon and default button a flags value asks for.
    struct MessageBoxLayout {
        struct Button {
            QMessageBox::StandardButton button = QMessageBox::Ok;
            qint32 answer = MsgBox::AnswerOk;
        };
        QList<Button> buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int defaultButton = 0; // index into buttons
    };

    // Throws AutomationError (InvalidProcedureCall) for an unknown button set.
    static MessageBoxLayout messageBoxLayout(qint32 flags);
    // "Label|patterns|Label|patterns" (patterns split by ';') as a QFileDialog
    // filter: "Label (patterns);;Label (patterns)". "*.*" becomes "*".
    static QString toQtFilter(const QString& filter);

    qint32 MessageBox(const QString& text, qint32 flags, const QString& title) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    // Qt's file dialog has no read-only box, so flags change nothing.
    std::optional<QString> OpenFile(const QString& initialFolder, const QString& filter,
                                    qint32 flags) override;
    void Beep() override;
};

} // namespace viVavazuruv
