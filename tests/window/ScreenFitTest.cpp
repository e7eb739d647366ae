// Every level of a nested code list fits the screen it opens on: the window
// inside the screen's free area, no control of a level over another, no
// title covered by a level above it. Run on several screens (see CMakeLists).
#include "WindowTest.h"

#include <window/LevelFrame.h>

#include <QSqlQuery>

namespace {

class ScreenFitTest : public test::WindowTest {};

QString text(const QRect& r) {
    return u"%1,%2 %3x%4"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// What is wrong with the window's visible levels; empty when nothing is.
QStringList misfits(const wkDatabases_Form& form) {
    QStringList found;
    const QRect area = form.screen()->availableGeometry();
    if (!area.contains(form.frameGeometry()))
        found << u"window %1 off the screen's %2"_s.arg(text(form.frameGeometry()), text(area));
    const QRect client = form.rect();
    std::vector<std::pair<int, QRect>> frames;
    for (int i = 0; i < wkDatabases_Form::kLevels && form.hasLevel(i); ++i) {
        const QWidget* frame = form.level(i).Uddbs_Frame;
        if (!frame->isHidden())
            frames.emplace_back(i, frame->geometry());
    }
    for (const auto& [i, frameRect] : frames) {
        const PickerLevel& lvl = form.level(i);
        if (!client.contains(frameRect))
            found << u"frame %1 %2 outside the window"_s.arg(i).arg(text(frameRect));
        std::vector<const QWidget*> controls;
        for (const QWidget* w :
             std::initializer_list<const QWidget*>{lvl.cmd_Select, lvl.cmd_Edit, lvl.cmd_Add, lvl.cmd_Cancel,
                                                   lvl.cmd_Del, lvl.uddbs_SS, lvl.uddbs_SBar})
            if (w && !w->isHidden())
                controls.push_back(w);
        for (size_t a = 0; a < controls.size(); ++a) {
            const QRect r = controls[a]->geometry();
            if (r.isEmpty() || !lvl.Uddbs_Frame->rect().contains(r))
                found << u"%1 %2 not wholly in its frame"_s.arg(controls[a]->objectName(), text(r));
            for (size_t b = a + 1; b < controls.size(); ++b)
                if (r.intersects(controls[b]->geometry()))
                    found << u"%1 over %2"_s.arg(controls[a]->objectName(), controls[b]->objectName());
        }
        const auto* frame = static_cast<const LevelFrame*>(lvl.Uddbs_Frame);
        const QRect title = frame->titleRect().translated(frameRect.topLeft());
        for (const auto& [j, above] : frames)
            if (j > i && above.intersects(title))
                found << u"title %1 \"%2\" under level %3"_s.arg(i).arg(frame->shownTitle()).arg(j);
    }
    return found;
}

// Where the host asks the window to open (twips; 7410 is 494 pixels down), how
// many entries the outer list has (each nested one five fewer, one at least).
struct Case {
    float top, left;
    int rows;
};

TEST_P(ScreenFitTest, EveryLevelOfANestedListFitsTheScreen) {
    // The screen this run was given (the test is registered once per screen).
    const QSize expected = [] {
        const QStringList wh = qEnvironmentVariable("VV_SCREEN", u"800x800"_s).split(u'x');
        return QSize(wh.value(0).toInt(), wh.value(1).toInt());
    }();
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSizeF physical = QSizeF(screen->geometry().size()) * screen->devicePixelRatio();
    ASSERT_LE(std::max(std::abs(physical.width() - expected.width()),
                       std::abs(physical.height() - expected.height())),
              2.0)
        << physical.width() << "x" << physical.height();

    const QString lists[] = {u"DENTAL"_s, u"PROCEDURES"_s, u"SURFACES"_s, u"SHADES"_s};
    for (const QString& list : lists)
        m_env->host().setCodeListKey(u"|"_s + list, list);

    const Case cases[] = {{0, 0, 20}, {7410, 0, 20}, {7410, 12000, 3}, {400, 400, 150}};
    for (const Case& c : cases) {
        SCOPED_TRACE(u"top %1 left %2, %3 entries"_s.arg(c.top).arg(c.left).arg(c.rows).toStdString());
        ASSERT_TRUE(QSqlQuery(m_env->host().GetConnection()).exec(u"DELETE FROM UsrDefTable"_s));
        for (int i = 0; i < 4; ++i)
            addRows(lists[i], std::max(1, c.rows - 5 * i));
        PickerEnv::prepareRequest(lists[0]);
        PickerEnv::request().WindowTop = c.top, PickerEnv::request().WindowLeft = c.left;
        auto form = show();
        for (int lvl = 0; lvl < 4; ++lvl) {
            if (lvl > 0)
                form->Open_Database_Level(qint16(lvl - 1), u"|"_s + lists[lvl]);
            QCoreApplication::processEvents();
            EXPECT_EQ(misfits(*form), QStringList()) << "level " << lvl;
        }
        // Closed again level by level: a title nothing covers any more is whole again.
        for (int lvl = 3; lvl > 0; --lvl) {
            form->setUserAction(true);
            form->cmd_Cancel_Click(qint16(lvl));
            QCoreApplication::processEvents();
            EXPECT_EQ(misfits(*form), QStringList()) << "level " << lvl << " closed";
        }
        const auto* base = static_cast<const LevelFrame*>(form->level(0).Uddbs_Frame);
        EXPECT_EQ(base->shownTitle(), base->title());
        // Moved up rather than cut short: the window keeps its designed height where the screen has it.
        EXPECT_GE(form->frameGeometry().height(),
                  std::min(grid::twipsToPixelsY(WindowPlacement::DefaultHeight),
                           screen->availableGeometry().height()));
        form->Unload();
    }
}

VV_ENGINES(Engines, ScreenFitTest, Engine::SQLite);

} // namespace
