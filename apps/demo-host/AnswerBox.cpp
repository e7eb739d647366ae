#include "AnswerBox.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QTextBlock>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace vvdemo {

AnswerBox::AnswerBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    // A long word or code wraps too: the box never scrolls sideways.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_copyAll = new QAction(tr("Copy the whole answer"), this);
    m_copyAll->setObjectName(u"copyWholeAnswer"_s);
    connect(m_copyAll, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(m_answer); });
    fitHeight();
}

QString AnswerBox::shortened(const QString& text, qsizetype limit) {
    if (text.size() <= limit)
        return text;
    // Never half a character made of two UTF-16 units.
    const qsizetype cut = limit > 0 && text.at(limit - 1).isHighSurrogate() ? limit - 1 : limit;
    return text.left(cut) + tr("… (%L1 characters in all)").arg(text.size());
}

void AnswerBox::setAnswer(const QString& answer) {
    m_answer = answer;
    QString shown = shortened(answer, kShownCharacters);
    if (shown.size() != answer.size())
        shown += u'\n' + tr("Right-click and choose \"%1\" for all of it.").arg(m_copyAll->text());
    setPlainText(shown);
    fitHeight();
}

void AnswerBox::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event); // lays the text out at the new width
    fitHeight();
}

void AnswerBox::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    menu->addSeparator();
    menu->addAction(m_copyAll);
    m_copyAll->setEnabled(!m_answer.isEmpty());
    menu->exec(event->globalPos());
}

void AnswerBox::fitHeight() {
    // Asking for a block's rectangle lays it out at the box's width; the text
    // shown is capped, so laying all of it out stays cheap. The last block's
    // rectangle holds the bottom margin, the top one comes on top, and the
    // scroll bar wants one pixel more before it stays away.
    const QAbstractTextDocumentLayout* layout = document()->documentLayout();
    qreal text = document()->documentMargin() + 1;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        text += layout->blockBoundingRect(block).height();
    const int line = fontMetrics().lineSpacing();
    const qreal margins = 2 * document()->documentMargin() + 1;
    const qreal shown = std::clamp(text, kMinLines * line + margins, kMaxLines * line + margins);
    const int height = static_cast<int>(std::ceil(shown)) + 2 * frameWidth();
    if (height != this->height() || minimumHeight() != maximumHeight())
        setFixedHeight(height);
}

} // namespace vvdemo
