#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <support/QtPrinting.h>
#include <viVavazuruv/AutomationError.h>
#include <window/QtDialogs.h>

using namespace viVavazuruv;
using namespace Qt::StringLiterals;

namespace {

TEST(QtDialogsTest, UnknownButtonSetsAreRefusedAndFiltersBecomeQtFilters) {
    for (qint32 unknown : {6, 7, 15})
        EXPECT_THROW(QtDialogs::messageBoxLayout(unknown), AutomationError);
    const char* filters[][2] = {
        {"Text files (*.txt)|*.txt|All files (*.*)|*.*", "Text files (*.txt);;All files (*)"},
        {"Lists|*.lst;*.csv; *.tsv", "Lists (*.lst *.csv *.tsv)"},
        {"|*.dat", "*.dat (*.dat)"},
        {"Odd; label|*.x", "Odd, label (*.x)"},
        {"Only a label", "Only a label"},
    };
    for (const auto& f : filters)
        EXPECT_EQ(QtDialogs::toQtFilter(QString::fromUtf8(f[0])), QString::fromUtf8(f[1]));
}

// Runs act on the first modal dialog of type D once it is up.
template <class D> void whenModalUp(std::function<void(D*)> act) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* box = qobject_cast<D*>(QApplication::activeModalWidget())) {
            poll->stop(), poll->deleteLater();
            act(box);
        }
    });
    poll->start();
}

// Each button answers what it says, with the icon and the default asked for;
// a default the box lacks falls back to the first button; a box closed without
// a button answers Cancel where it has one; without a title the application's
// name shows. An input box gives typed lines with CR LF, nothing when cancelled.
TEST(QtDialogsTest, EveryButtonAnswersWhatItSaysAndTheBoxShowsTheFlags) {
    QtDialogs dialogs;
    QApplication::setApplicationDisplayName(u"Practice"_s);
    const qint32 threeButtons = MsgBox::YesNoCancel + MsgBox::Exclamation + MsgBox::DefaultButton2;
    for (const auto& [button, answer] : {std::pair{QMessageBox::Yes, MsgBox::AnswerYes},
                                         {QMessageBox::No, MsgBox::AnswerNo},
                                         {QMessageBox::Cancel, MsgBox::AnswerCancel}}) {
        whenModalUp<QMessageBox>([button = button](QMessageBox* box) {
            EXPECT_EQ(std::pair(box->icon(), box->windowTitle()),
                      std::pair(QMessageBox::Warning, u"Title"_s));
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
            box->button(button)->click();
        });
        EXPECT_EQ(dialogs.MessageBox(u"Save?"_s, threeButtons, u"Title"_s), answer);
    }
    whenModalUp<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
        box->defaultButton()->click();
    });
    EXPECT_EQ(dialogs.MessageBox(u"Done."_s, MsgBox::Information + MsgBox::DefaultButton2, {}),
              MsgBox::AnswerOk);
    whenModalUp<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(std::pair(box->icon(), box->windowTitle()),
                  std::pair(QMessageBox::Question, u"Practice"_s));
        box->reject();
    });
    EXPECT_EQ(dialogs.MessageBox(u"Delete the list \"Füllung\"?"_s,
                                 MsgBox::YesNoCancel + MsgBox::Question + MsgBox::DefaultButton2, QString()),
              MsgBox::AnswerCancel);
    for (const bool accept : {true, false}) {
        whenModalUp<QInputDialog>([accept](QInputDialog* box) {
            box->setTextValue(u"pain\nswelling – 腫れ"_s);
            accept ? box->accept() : box->reject();
        });
        EXPECT_EQ(dialogs.InputBox(u"Patient reports |??"_s, u"Enter information"_s, {}),
                  accept ? u"pain\r\nswelling – 腫れ"_s : QString());
    }
}

} // namespace
