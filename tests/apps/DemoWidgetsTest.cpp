// The demo desk's widgets. The answer box: as tall as its text up to a cap;
// an answer of any length shows at once, cut, with all of it still to be had.
// The list history: newest first, and Restore only after asking, on both engines.
// The desk itself: heard by a screen reader as well as seen (an answer taking
// the focus where it shows: the screen-reader walk).
#include <refhost/RefhostSupport.h>

#include "AnswerBox.h"
#include "DemoHostWindow.h"
#include "ListHistoryWindow.h"

#include <grid/Contrast.h>
#include <viVavazuruv/Translations.h>
#include <viVavazuruv/wkDatabases.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTranslator>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;
using vvdemo::AnswerBox;

namespace {

class AnswerBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        box.resize(600, 50);
        box.show();
    }
    // The box's height once the answer is shown, and whether it scrolls.
    std::pair<int, bool> show(const QString& answer) {
        box.setAnswer(answer);
        QCoreApplication::processEvents();
        return {box.height(), box.verticalScrollBar()->maximum() > 0};
    }
    AnswerBox box;
};

TEST_F(AnswerBoxTest, GrowsWithItsLinesWrappedUpToACapThenScrolls) {
    const auto [empty, emptyScrolls] = show({});
    const auto [five, fiveScroll] = show(u"line\n"_s.repeated(4) + u"line"_s);
    const auto [wrapped, wrappedScrolls] = show(u"composite "_s.repeated(40).trimmed()); // one line, 400 wide
    const auto [many, manyScroll] = show(u"line\n"_s.repeated(40));
    EXPECT_TRUE(empty < five && five < many && empty < wrapped)
        << empty << ' ' << five << ' ' << wrapped << ' ' << many;
    EXPECT_EQ(std::tuple(emptyScrolls, fiveScroll, wrappedScrolls, manyScroll),
              std::tuple(false, false, false, true));
    EXPECT_EQ(show(u"line\n"_s.repeated(400)).first, many); // the cap
    EXPECT_EQ(box.horizontalScrollBar()->maximum(), 0);
}

TEST_F(AnswerBoxTest, LaysOutTwoMegabytesInOneLineCutAndCopiesAllOfIt) {
    const QString answer = u"Composite filling on #14 "_s.repeated(84000); // 2.1 million characters
    show(answer);
    // What is laid out is capped; how fast that is belongs to no unit test.
    EXPECT_LT(box.toPlainText().size(), AnswerBox::kShownCharacters + 200);
    EXPECT_TRUE(box.toPlainText().contains(QLocale().toString(answer.size())));
    box.findChild<QAction*>(u"copyWholeAnswer"_s)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), answer);
    EXPECT_EQ(AnswerBox::shortened(u"abc"_s, 3), u"abc"_s);
    EXPECT_TRUE(AnswerBox::shortened(u"ab\U0001F9B7"_s, 3).startsWith(u"ab… ("_s)); // never half a tooth
}

VV_HOST_SUITE(ListHistoryWindowTest);

TEST_P(ListHistoryWindowTest, ShowsTheListsChangesNewestFirstAndRestoresOnlyWhenTheUserSaysYes) {
    auto desk = ReferenceHost::Open(m_db->url(), m_dialogs, m_folder.path());
    desk->setLoginName(u"DR_SMITH"_s);
    const qint32 key = addEntry(u"ALERT"_s, u"Latex"_s, desk.get());
    addEntry(u"OTHER"_s, u"Not this list"_s, desk.get());
    run(u"Delete * from UsrDefTable where UsrDefInd=%1"_s.arg(key));

    vvdemo::ListHistoryWindow window(desk, u"alert"_s);
    auto* changes = window.findChild<QTableWidget*>(u"historyChanges"_s);
    ASSERT_EQ(changes->rowCount(), 2);
    EXPECT_EQ(
        std::tuple(changes->item(0, 4)->text(), changes->item(0, 6)->text(), changes->item(1, 2)->text()),
        std::tuple(u"delete"_s, u"Latex"_s, u"DR_SMITH"_s));

    changes->selectRow(0);
    m_dialogs->expectMessage(MsgBox::AnswerNo, u"Restore change"_s);
    EXPECT_FALSE(window.restoreSelected());
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM UsrDefTable WHERE UsrDefCod = 'ALERT'"_s), 0);
    changes->selectRow(0);
    m_dialogs->expectMessage(MsgBox::AnswerYes, u"comes back"_s);
    window.findChild<QPushButton*>(u"historyRestore"_s)->click();
    EXPECT_EQ(value(u"SELECT usrdefDes FROM UsrDefTable WHERE usrdefInd = %1"_s.arg(key)).toString(),
              u"Latex"_s);
    EXPECT_EQ(std::pair(changes->rowCount(), m_dialogs->pending()), std::pair(3, qsizetype(0)));
}

VV_HOST_SUITE(DemoDeskTest);

// On the screen it runs on (registered again for small and scaled screens),
// in each language: the desk inside the screen's free area, and whatever does
// not fit within it to be scrolled to; its menu in the language; every tab
// stop heard by a name of its own, and the placeholders and notes readable.
TEST_P(DemoDeskTest, TheDeskFitsItsScreenInEveryLanguageAndIsHeardAndReadThere) {
    const struct {
        const char* locale;
        QString menu;
    } languages[] = {{"en", u"&Lists"_s}, {"de", u"&Listen"_s}};
    auto desk = ReferenceHost::Open(m_db->url(), m_dialogs, m_folder.path());
    wkDatabases component;
    component.put_GIC(desk);
    for (const auto& language : languages) {
        SCOPED_TRACE(language.locale);
        QTranslator translator;
        if (qstrcmp(language.locale, "en") != 0) {
            ASSERT_TRUE(LoadTranslation(translator, QLocale(QLatin1String(language.locale))));
            QCoreApplication::installTranslator(&translator);
        }
        {
            vvdemo::DemoHostWindow window(desk, component);
            window.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
            const QRect area = window.screen()->availableGeometry();
            EXPECT_TRUE(area.contains(window.frameGeometry()))
                << window.frameGeometry().width() << "x" << window.frameGeometry().height() << " on "
                << area.width() << "x" << area.height();
            const auto* scroll = window.findChild<QScrollArea*>(u"entryPointsScroll"_s);
            ASSERT_TRUE(scroll && scroll->widget());
            const QSize wanted = scroll->widget()->minimumSizeHint();
            const QSize room = scroll->viewport()->size();
            EXPECT_TRUE(wanted.width() <= room.width() || scroll->horizontalScrollBar()->maximum() > 0);
            EXPECT_TRUE(wanted.height() <= room.height() || scroll->verticalScrollBar()->maximum() > 0);
            EXPECT_EQ(window.menuBar()->actions().value(0)->text(), language.menu);

            // No stop heard without a name or by another's; a box's own editor passes the focus to the box.
            QStringList names;
            for (QWidget* w : window.findChildren<QWidget*>())
                if (w->isVisibleTo(&window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
                    !w->focusProxy())
                    names << QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
            QStringList distinct = names;
            distinct.removeDuplicates();
            EXPECT_TRUE(distinct.size() == names.size() && !names.contains(QString()))
                << names.join(u" | "_s).toStdString();
            // The placeholders' and the notes' greys against what they are drawn on.
            const QPalette& field = window.findChild<QLineEdit*>(u"medAlertTmp"_s)->palette();
            const auto* note = window.findChild<QLabel*>(u"selectionNoTmp"_s);
            const QPalette::ColorGroup group = note->isEnabled() ? QPalette::Active : QPalette::Disabled;
            EXPECT_GE(
                grid::contrastRatio(field.color(QPalette::PlaceholderText), field.color(QPalette::Base)),
                grid::kTextContrast);
            EXPECT_GE(grid::contrastRatio(note->palette().color(group, QPalette::WindowText),
                                          note->palette().color(group, QPalette::Window)),
                      grid::kTextContrast);
        }
        QCoreApplication::removeTranslator(&translator);
    }
}

} // namespace
