#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <platform/QtDialogs.h>
#include <platform/ScriptedDialogs.h>
#include <viVavazuruv/AutomationError.h>

using namespace viVavazuruv;
using namespace viVavazuruv::platform;
using Kind = ScriptedDialogs::Kind;

static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

TEST(ScriptedDialogsTest, AnswersInOrderAndRecordsWhatWasAsked) {
    ScriptedDialogs dialogs;
    dialogs.expectMessage(MsgBox::AnswerNo, QStringLiteral("delete"));
    dialogs.expectInput(QStringLiteral("Müller \"Zahn\" 歯"));
    dialogs.expectFile(QStringLiteral("/tmp/list.txt"));
    dialogs.expectFile(std::nullopt);
    dialogs.expectInput(QString());
    EXPECT_EQ(dialogs.pending(), 5);

    const QString longText(100000, QLatin1Char('x'));
    EXPECT_EQ(dialogs.MessageBox(QStringLiteral("Really delete 'A'?"),
                                 MsgBox::YesNo + MsgBox::Question + MsgBox::DefaultButton2,
                                 QStringLiteral("Lists")),
              MsgBox::AnswerNo);
    EXPECT_EQ(dialogs.InputBox(longText, QString(), QStringLiteral("default")),
              QStringLiteral("Müller \"Zahn\" 歯"));
    EXPECT_EQ(dialogs.OpenFile(QStringLiteral("/home"), QStringLiteral("Text|*.txt"), 4),
              std::optional<QString>(QStringLiteral("/tmp/list.txt")));
    EXPECT_EQ(dialogs.OpenFile(QString(), QString(), 0), std::nullopt);
    EXPECT_EQ(dialogs.InputBox(QStringLiteral("Name?"), QString(), QStringLiteral("x")), QString());
    dialogs.Beep();
    dialogs.Beep();

    EXPECT_TRUE(dialogs.allAnswered());
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
    EXPECT_EQ(dialogs.beeps(), 2);
    const QList<ScriptedDialogs::Asked>& asked = dialogs.asked();
    ASSERT_EQ(asked.size(), 5);
    EXPECT_EQ(asked[0].kind, Kind::Message);
    EXPECT_EQ(asked[0].text, QStringLiteral("Really delete 'A'?"));
    EXPECT_EQ(asked[0].title, QStringLiteral("Lists"));
    EXPECT_EQ(asked[0].flags, MsgBox::YesNo + MsgBox::Question + MsgBox::DefaultButton2);
    EXPECT_EQ(asked[1].kind, Kind::Input);
    EXPECT_EQ(asked[1].text, longText);
    EXPECT_EQ(asked[1].detail, QStringLiteral("default"));
    EXPECT_EQ(asked[2].kind, Kind::File);
    EXPECT_EQ(asked[2].text, QStringLiteral("/home"));
    EXPECT_EQ(asked[2].detail, QStringLiteral("Text|*.txt"));
    EXPECT_EQ(asked[2].flags, 4);
}

struct UnexpectedCase {
    const char* name;
    std::function<void(ScriptedDialogs&)> script;
    std::function<void(ScriptedDialogs&)> ask;
    const char* mentions;
};

// Every way a dialog can fail to fit the script throws and stays on record.
TEST(ScriptedDialogsTest, FailsLoudlyOnADialogNobodyExpected) {
    const UnexpectedCase cases[] = {
        {"nothing queued", [](ScriptedDialogs&) {},
         [](ScriptedDialogs& d) { d.MessageBox(QStringLiteral("Surprise"), 0, {}); }, "Surprise"},
        {"another kind next", [](ScriptedDialogs& d) { d.expectInput(QStringLiteral("a")); },
         [](ScriptedDialogs& d) { d.MessageBox(QStringLiteral("Save?"), MsgBox::YesNo, {}); }, "input box"},
        {"text not as expected",
         [](ScriptedDialogs& d) { d.expectMessage(MsgBox::AnswerOk, QStringLiteral("saved")); },
         [](ScriptedDialogs& d) { d.MessageBox(QStringLiteral("Could not save"), 0, {}); }, "saved"},
        {"file after the script ran out",
         [](ScriptedDialogs& d) {
             d.expectMessage(MsgBox::AnswerOk);
             d.MessageBox(QStringLiteral("first"), 0, {});
         },
         [](ScriptedDialogs& d) { d.OpenFile(QStringLiteral("C:\\\"odd\"\\"), {}, 0); }, "file dialog"},
        {"hostile text", [](ScriptedDialogs&) {},
         [](ScriptedDialogs& d) {
             d.InputBox(QString(QChar(0)) + QStringLiteral("NUL \"q\" 歯") + QString(5000, QLatin1Char('z')),
                        {}, {});
         },
         "NUL \"q\" 歯"},
    };
    for (const UnexpectedCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs dialogs;
        c.script(dialogs);
        try {
            c.ask(dialogs);
            ADD_FAILURE() << "no AutomationError";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.code(), ErrorCode::InvalidProcedureCall);
            EXPECT_TRUE(error.message().startsWith(QLatin1String("unexpected dialog: "))) << error.what();
            EXPECT_TRUE(error.message().contains(QString::fromUtf8(c.mentions))) << error.what();
            EXPECT_LT(error.message().size(), 1000) << "a long text is cut in the description";
        }
        EXPECT_FALSE(dialogs.allAnswered());
        ASSERT_EQ(dialogs.unexpected().size(), 1);
        EXPECT_FALSE(dialogs.asked().isEmpty()) << "the dialog is on record all the same";
    }
}

TEST(ScriptedDialogsTest, LeftoverAnswersMeanNotAllAnswered) {
    ScriptedDialogs dialogs;
    dialogs.expectMessage(MsgBox::AnswerYes);
    dialogs.expectMessage(MsgBox::AnswerNo);
    EXPECT_EQ(dialogs.MessageBox(QStringLiteral("one"), MsgBox::YesNo, {}), MsgBox::AnswerYes);
    EXPECT_FALSE(dialogs.allAnswered());
    EXPECT_EQ(dialogs.pending(), 1);
    EXPECT_TRUE(dialogs.unexpected().isEmpty());
}

TEST(QtDialogsTest, FlagsChooseButtonsIconAndDefault) {
    using B = QMessageBox;
    struct Case {
        qint32 flags;
        QList<QMessageBox::StandardButton> buttons;
        QList<qint32> answers;
        QMessageBox::Icon icon;
        int defaultButton;
    } const cases[] = {
        {MsgBox::OkOnly, {B::Ok}, {MsgBox::AnswerOk}, B::NoIcon, 0},
        {MsgBox::OkCancel + MsgBox::Critical, {B::Ok, B::Cancel}, {1, 2}, B::Critical, 0},
        {MsgBox::YesNoCancel + MsgBox::Exclamation + MsgBox::DefaultButton2,
         {B::Yes, B::No, B::Cancel},
         {6, 7, 2},
         B::Warning,
         1},
        {MsgBox::YesNo + MsgBox::Question + MsgBox::DefaultButton2, {B::Yes, B::No}, {6, 7}, B::Question, 1},
        {MsgBox::Information + MsgBox::DefaultButton2, {B::Ok}, {1}, B::Information, 0}, // no second button
        {MsgBox::YesNoCancel + 512, {B::Yes, B::No, B::Cancel}, {6, 7, 2}, B::NoIcon, 2},
        {2, {B::Abort, B::Retry, B::Ignore}, {3, 4, 5}, B::NoIcon, 0},
        {5 + MsgBox::DefaultButton2, {B::Retry, B::Cancel}, {4, 2}, B::NoIcon, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        const QtDialogs::MessageBoxLayout layout = QtDialogs::messageBoxLayout(c.flags);
        QList<QMessageBox::StandardButton> buttons;
        QList<qint32> answers;
        for (const auto& b : layout.buttons) {
            buttons.append(b.button);
            answers.append(b.answer);
        }
        EXPECT_EQ(buttons, c.buttons);
        EXPECT_EQ(answers, c.answers);
        EXPECT_EQ(layout.icon, c.icon);
        EXPECT_EQ(layout.defaultButton, c.defaultButton);
    }
    for (qint32 unknown : {6, 7, 15}) {
        EXPECT_THROW(QtDialogs::messageBoxLayout(unknown), AutomationError);
    }
}

TEST(QtDialogsTest, FileFiltersBecomeQtFilters) {
    struct Case {
        const char* filter;
        const char* expected;
    } const cases[] = {
        {"", ""},
        {"Text files|*.txt", "Text files (*.txt)"},
        {"Text files (*.txt)|*.txt|All files (*.*)|*.*", "Text files (*.txt);;All files (*)"},
        {"Lists|*.lst;*.csv; *.tsv", "Lists (*.lst *.csv *.tsv)"},
        {"|*.dat", "*.dat (*.dat)"},
        {"Odd; label|*.x", "Odd, label (*.x)"},
        {"Only a label", "Only a label"},
        {"Zahnärztliche Listen 歯科|*.udl", "Zahnärztliche Listen 歯科 (*.udl)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(QtDialogs::toQtFilter(QString::fromUtf8(c.filter)), QString::fromUtf8(c.expected));
    }
}

// Clicks the button with the given text in the message box once it is up,
// after checking its icon, title and default button.
void answerMessageBoxLater(QMessageBox::Icon icon, const QString& title, const QString& defaultText,
                           const QString& clickText, bool& checked) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    int tries = 0;
    QObject::connect(poll, &QTimer::timeout, poll, [=, &checked]() mutable {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (++tries > 500) {
                poll->deleteLater();
                ADD_FAILURE() << "no message box came up";
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        EXPECT_EQ(box->icon(), icon);
        EXPECT_EQ(box->windowTitle(), title);
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->defaultButton()->text().remove(QLatin1Char('&')), defaultText);
        checked = true;
        for (QAbstractButton* button : box->buttons()) {
            if (button->text().remove(QLatin1Char('&')) == clickText) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << clickText.toStdString();
        box->reject();
    });
    poll->start();
}

TEST(QtDialogsTest, RealMessageBoxShowsTheFlagsAndReturnsTheClickedAnswer) {
    QtDialogs dialogs;
    bool checked = false;
    answerMessageBoxLater(QMessageBox::Question, QStringLiteral("Lists"), QStringLiteral("No"),
                          QStringLiteral("Yes"), checked);
    EXPECT_EQ(dialogs.MessageBox(QStringLiteral("Delete the list \"Füllung\"?"),
                                 MsgBox::YesNoCancel + MsgBox::Question + MsgBox::DefaultButton2,
                                 QStringLiteral("Lists")),
              MsgBox::AnswerYes);
    EXPECT_TRUE(checked);

    checked = false;
    QApplication::setApplicationDisplayName(QStringLiteral("Practice"));
    answerMessageBoxLater(QMessageBox::Critical, QStringLiteral("Practice"), QStringLiteral("OK"),
                          QStringLiteral("Cancel"), checked);
    EXPECT_EQ(
        dialogs.MessageBox(QStringLiteral("Could not save."), MsgBox::OkCancel + MsgBox::Critical, QString()),
        MsgBox::AnswerCancel);
    EXPECT_TRUE(checked);
}

TEST(QtDialogsTest, RealInputBoxReturnsTypedLinesWithCrLfAndNothingWhenCancelled) {
    QtDialogs dialogs;
    const auto answerLater = [](bool accept) {
        auto* poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, accept] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!box)
                return;
            poll->stop();
            poll->deleteLater();
            box->setTextValue(QStringLiteral("pain\nswelling – 腫れ"));
            if (accept)
                box->accept();
            else
                box->reject();
        });
        poll->start();
    };
    answerLater(true);
    EXPECT_EQ(
        dialogs.InputBox(QStringLiteral("Patient reports |??"), QStringLiteral("Enter information"), {}),
        QStringLiteral("pain\r\nswelling – 腫れ"));
    answerLater(false);
    EXPECT_EQ(dialogs.InputBox(QStringLiteral("Anything?"), QStringLiteral("Enter information"), {}),
              QString());
}

} // namespace
