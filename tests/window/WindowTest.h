// What the window tests share, so each test shows only what it is about.
#pragma once

#include <support/PickerEnv.h>

#include <grid/Twips.h>
#include <window/WindowSettings.h>

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTableView>
#include <QTest>

#include <utility>

using namespace Qt::StringLiterals;

// Both engines, or one: VV_ENGINES(Engines, Suite, Engine::SQLite, Engine::PostgreSQL).
#define VV_ENGINES(prefix, suite, ...)                                                                       \
    INSTANTIATE_TEST_SUITE_P(prefix, suite, ::testing::Values(__VA_ARGS__),                                  \
                             [](const auto& info) { return test::engineName(info.param); })

namespace viVavazuruv::test {

class WindowTest : public PickerTest {
protected:
    using Entries = std::initializer_list<std::pair<QString, QString>>;
    // Group and description of each entry, stored in this order.
    void addEntries(const QString& list, Entries entries) {
        for (const auto& [group, description] : entries)
            m_env->addEntry(list, group, description);
    }
    void addRows(const QString& list, int count) {
        for (int i = 1; i <= count; ++i)
            m_env->addEntry(list, u"G"_s, u"Entry %1"_s.arg(i, 3, 10, QLatin1Char('0')));
    }
    // outer's one entry (description) opens SURFACES at "|SF": a title line, Mesial, Occlusal.
    void addSurfaces(const QString& outer, const QString& description) {
        m_env->addEntry(outer, u"G"_s, description);
        addEntries(u"SURFACES"_s,
                   {{u"*"_s, u"$-Surfaces"_s}, {u"M"_s, u"Mesial"_s}, {u"O"_s, u"Occlusal"_s}});
        m_env->host().setCodeListKey(u"|SF"_s, u"SURFACES"_s);
    }
    // The window for the prepared request, shown; with settle, until the frame
    // is known and every resize it caused has been seen (a window manager
    // draws it only after the window is mapped).
    std::unique_ptr<wkDatabases_Form> show(bool settle = false) {
        auto form = m_env->loadForm();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QRect last;
        for (int settled = 0; settle && settled < 5; QTest::qWait(40))
            settled = form->frameGeometry() == std::exchange(last, form->frameGeometry()) ? settled + 1 : 0;
        return form;
    }
    // The window for a request prepared from the arguments, shown.
    template <class... More> std::unique_ptr<wkDatabases_Form> open(const QString& list, More&&... more) {
        PickerEnv::prepareRequest(list, std::forward<More>(more)...);
        return show();
    }
    // Where the window is, in twips, as the caller sees it.
    static QRect place(const wkDatabases_Form& f) {
        return {f.FormLeft(), f.FormTop(), f.FormWidth(), f.FormHeight()};
    }
    // The settings file the prepared request's window uses.
    QString settingsPath() {
        QString path;
        m_env->loadForm()->Stp_File_Name(path);
        return path;
    }
    // Another host object (of any kind) on the test's database, as another workstation opens it.
    template <class Host = ReferenceHost> std::shared_ptr<Host> openHost(const QString& urlSuffix = {}) {
        return std::make_shared<Host>(m_env->db().url() + urlSuffix, m_env->dialogsRef(),
                                      m_env->dataFolder());
    }
    // One field of a list row saved through host, as another workstation saves it.
    static bool saveField(ReferenceHost& host, qint32 key, const QString& field, const QString& value) {
        return host.SaveRecord(1, QStringLiteral("UsrDefTable"), QStringLiteral("UsrDefInd"), key, {field},
                               {value}, true);
    }
    static QTableView* view(const PickerLevel& lvl) { return lvl.uddbs_SS->view(); }
    // A mouse click: an access key before any press on a button does nothing.
    static void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // A column's texts from row 1 down, joined with bars.
    static QString column(const IGridControl& grid, qint32 col) {
        QStringList texts;
        for (qint32 r = 1; r <= grid.MaxRows(); ++r)
            texts << grid.GetText(col, r);
        return texts.join(u'|');
    }
};

} // namespace viVavazuruv::test

using namespace viVavazuruv;
using viVavazuruv::test::Engine;
using viVavazuruv::test::PickerEnv;
