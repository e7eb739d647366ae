#include "QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <viVavazuruv/AutomationError.h>

namespace viVavazuruv {

namespace {

// Button sets beyond the four the picker uses keep their usual numbers.
constexpr qint32 AbortRetryIgnore = 2;
constexpr qint32 RetryCancel = 5;
constexpr qint32 AnswerAbort = 3;
constexpr qint32 AnswerRetry = 4;
constexpr qint32 AnswerIgnore = 5;

QWidget* dialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QString titleOrApplication(const QString& title) {
    return title.isEmpty() ? QGuiApplication::applicationDisplayName() : title;
}

} // namespace

QtDialogs::MessageBoxLayout QtDialogs::messageBoxLayout(qint32 flags) {
    using B = QMessageBox;
    MessageBoxLayout layout;
    switch (flags & 0x0F) {
    case MsgBox::OkOnly:
        layout.buttons = {{B::Ok, MsgBox::AnswerOk}};
        break;
    case MsgBox::OkCancel:
        layout.buttons = {{B::Ok, MsgBox::AnswerOk}, {B::Cancel, MsgBox::AnswerCancel}};
        break;
    case AbortRetryIgnore:
        layout.buttons = {{B::Abort, AnswerAbort}, {B::Retry, AnswerRetry}, {B::Ignore, AnswerIgnore}};
        break;
    case MsgBox::YesNoCancel:
        layout.buttons = {
            {B::Yes, MsgBox::AnswerYes}, {B::No, MsgBox::AnswerNo}, {B::Cancel, MsgBox::AnswerCancel}};
        break;
    case MsgBox::YesNo:
        layout.buttons = {{B::Yes, MsgBox::AnswerYes}, {B::No, MsgBox::AnswerNo}};
        break;
    case RetryCancel:
        layout.buttons = {{B::Retry, AnswerRetry}, {B::Cancel, MsgBox::AnswerCancel}};
        break;
    default:
        throw AutomationError(ErrorCode::InvalidProcedureCall,
                              QStringLiteral("message box button set %1 is not known").arg(flags & 0x0F));
    }
    switch (flags & 0x70) {
    case MsgBox::Critical:
        layout.icon = QMessageBox::Critical;
        break;
    case MsgBox::Question:
        layout.icon = QMessageBox::Question;
        break;
    case MsgBox::Exclamation:
        layout.icon = QMessageBox::Warning;
        break;
    case MsgBox::Information:
        layout.icon = QMessageBox::Information;
        break;
    default:
        layout.icon = QMessageBox::NoIcon;
        break;
    }
    // 256 makes the second button the default, 512 the third; a box without
    // that button keeps the first.
    const int wanted = (flags & 0x300) >> 8;
    layout.defaultButton = wanted < layout.buttons.size() ? wanted : 0;
    return layout;
}

QString QtDialogs::toQtFilter(const QString& filter) {
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString patterns = i + 1 < parts.size() ? parts[i + 1] : QString();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QStringList list = patterns.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString& pattern : list) {
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*"); // all files, those without a dot too
        }
        patterns = list.join(QLatin1Char(' '));
        // A label's own "(*.txt)" would repeat the patterns; ';' would split the entry.
        QString label = parts[i];
        label.remove(trailingPatterns);
        label.replace(QLatin1Char(';'), QLatin1Char(','));
        label = label.trimmed();
        if (label.isEmpty() && patterns.isEmpty())
            continue;
        if (patterns.isEmpty())
            entries.append(parts[i].trimmed());
        else
            entries.append((label.isEmpty() ? patterns : label) + QStringLiteral(" (") + patterns +
                           QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

qint32 QtDialogs::MessageBox(const QString& text, qint32 flags, const QString& title) {
    const MessageBoxLayout layout = messageBoxLayout(flags);
    QMessageBox box(layout.icon, titleOrApplication(title), text, QMessageBox::NoButton, dialogParent());
    QList<QAbstractButton*> buttons;
    for (const MessageBoxLayout::Button& b : layout.buttons)
        buttons.append(box.addButton(b.button));
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons[layout.defaultButton]));
    box.exec();
    const qsizetype clicked = buttons.indexOf(box.clickedButton());
    if (clicked >= 0)
        return layout.buttons[clicked].answer;
    // Closed without a button: the answer Escape would have given.
    for (const MessageBoxLayout::Button& b : layout.buttons) {
        if (b.answer == MsgBox::AnswerCancel)
            return b.answer;
    }
    return layout.buttons.last().answer;
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getMultiLineText(dialogParent(), titleOrApplication(title), prompt, defaultText, &ok);
    if (!ok)
        return {};
    // Line breaks come back as CR LF, as the callers' texts expect of typed lines.
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return lines;
}

std::optional<QString> QtDialogs::OpenFile(const QString& initialFolder, const QString& filter,
                                           qint32 flags) {
    Q_UNUSED(flags)
    const QString file = QFileDialog::getOpenFileName(
        dialogParent(), QCoreApplication::translate("QtDialogs", "Open"), initialFolder, toQtFilter(filter));
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

void QtDialogs::Beep() {
    QApplication::beep();
}

std::shared_ptr<IDialogs> CreateQtDialogs() {
    return std::make_shared<QtDialogs>();
}

} // namespace viVavazuruv
