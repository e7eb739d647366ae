#pragma once

#include <QPlainTextEdit>

class QAction;

namespace vvdemo {

// Shows what an entry point returned: read-only, wrapped, as tall as its text
// up to a cap, then it scrolls. Only the first kShownCharacters are laid out,
// so an answer of any length shows at once; the whole of it stays in answer()
// and the context menu's action copies it to the clipboard.
class AnswerBox final : public QPlainTextEdit {
    Q_OBJECT

public:
    static constexpr qsizetype kShownCharacters = 10000;
    static constexpr int kMinLines = 2;
    static constexpr int kMaxLines = 12;

    explicit AnswerBox(QWidget* parent = nullptr);

    void setAnswer(const QString& answer);
    const QString& answer() const { return m_answer; }

    // text whole when it has at most limit characters, else its beginning and
    // a note of its length.
    static QString shortened(const QString& text, qsizetype limit);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void fitHeight();

    QString m_answer;
    QAction* m_copyAll = nullptr;
};

} // namespace vvdemo
