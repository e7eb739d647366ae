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

TEST(QtDialogsTest, FlagsChooseButtonsIconAndDefaultAndFiltersBecomeQtFilters) {
    using B = QMessageBox;
    struct Case {
        qint32 flags;
        QList<QMessageBox::StandardButton> buttons;
        QList<qint32> answers;
        QMessageBox::Icon icon;
        int defaultButton;
    } const cases[] = {
        {MsgBox::YesNoCancel + MsgBox::Exclamation + MsgBox::DefaultButton2,
         {B::Yes, B::No, B::Cancel},
         {6, 7, 2},
         B::Warning,
         1},
        {MsgBox::Information + MsgBox::DefaultButton2, {B::Ok}, {1}, B::Information, 0}, // no second button
        {MsgBox::YesNoCancel + 512, {B::Yes, B::No, B::Cancel}, {6, 7, 2}, B::NoIcon, 2},
        {2, {B::Abort, B::Retry, B::Ignore}, {3, 4, 5}, B::NoIcon, 0},
        {5 + MsgBox::DefaultButton2, {B::Retry, B::Cancel}, {4, 2}, B::NoIcon, 1},
    };
    for (const Case& c : cases) {
        const QtDialogs::MessageBoxLayout layout = QtDialogs::messageBoxLayout(c.flags);
        QList<QMessageBox::StandardButton> buttons;
        QList<qint32> answers;
        for (const auto& b : layout.buttons)
            buttons.append(b.button), answers.append(b.answer);
        EXPECT_EQ(std::tuple(buttons, answers, layout.icon, layout.defaultButton),
                  std::tuple(c.buttons, c.answers, c.icon, c.defaultButton))
            << c.flags;
    }
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

TEST(QtDialogsTest, RealBoxesShowTheFlagsAndReturnTheAnswerTypedLinesWithCrLfAndNothingWhenCancelled) {
    QtDialogs dialogs;
    QApplication::setApplicationDisplayName(u"Practice"_s); // the title when none is given
    whenModalUp<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->windowTitle(), u"Practice"_s);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(dialogs.MessageBox(u"Delete the list \"Füllung\"?"_s,
                                 MsgBox::YesNoCancel + MsgBox::Question + MsgBox::DefaultButton2, QString()),
              MsgBox::AnswerYes);
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
