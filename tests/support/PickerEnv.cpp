#include "PickerEnv.h"

#include <core/RequestState.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>

namespace viVavazuruv::test {

std::unique_ptr<PickerEnv> PickerEnv::create(Engine engine) {
    std::unique_ptr<PickerEnv> env(new PickerEnv);
    env->m_db = TestDatabase::create(engine);
    if (!env->m_db)
        return nullptr;
    env->m_dialogs = std::make_shared<test::ScriptedDialogs>();
    env->m_host = ReferenceHost::Open(env->m_db->url(), env->m_dialogs, env->m_data.path());
    env->m_component.put_GIC(env->m_host);
    wkDatabases::SetDialogs(env->m_dialogs);
    return env;
}

PickerEnv::~PickerEnv() {
    // The next test starts from a component that holds nothing of this one.
    wkDatabases::SetDialogs(nullptr);
    m_component.put_GIC(nullptr);
}

qint32 PickerEnv::addEntry(const QString& listCode, const QString& group, const QString& description,
                           const QString& code, const QString& letter) {
    qint32 key = 0;
    using namespace Qt::StringLiterals;
    EXPECT_TRUE(m_host->SaveRecord(
        1, u"UsrDefTable"_s, u"UsrDefInd"_s, key,
        {u"UsrDefCod"_s, u"usrdefSeqCod"_s, u"usrdefDes"_s, u"usrdefADA"_s, u"usrdefLetNam"_s},
        {listCode, group, description, code, letter}, true))
        << description.toStdString();
    return key;
}

QStringList PickerEnv::storedDescriptions(const QString& listCode) const {
    QSqlQuery q(m_host->GetConnection());
    q.prepare(QStringLiteral("SELECT usrdefDes FROM UsrDefTable WHERE UsrDefCod = ? OR ? = 1"));
    q.addBindValue(listCode);
    q.addBindValue(listCode.isEmpty() ? 1 : 0);
    q.exec();
    QStringList result;
    while (q.next())
        result << q.value(0).toString();
    result.sort();
    return result;
}

PickerRequest& PickerEnv::request() {
    static PickerRequest prepared;
    return prepared;
}

void PickerEnv::prepareRequest(const QString& listCode, bool keepLayout, const QString& options,
                               const QString& groupCaption, const QString& descriptionCaption,
                               bool multiSelect, const QString& letterCaption) {
    PickerRequest& r = request();
    r = PickerRequest::ForList(listCode, {multiSelect, descriptionCaption, QStringLiteral("Test Database"),
                                          QStringLiteral("Database = ") + listCode, options, letterCaption});
    r.ColumnCaptions(1) = groupCaption;
    r.KeepWindowLayout = keepLayout;
}

std::unique_ptr<wkDatabases_Form> PickerEnv::loadForm() {
    auto form = std::make_unique<wkDatabases_Form>(RequestState::instance(), request(), m_dialogs);
    form->Load();
    return form;
}

void PickerEnv::typeIntoCell(grid::GridControl& grid, qint32 col, qint32 row, const QString& text,
                             Qt::Key commitKey) {
    QTableView* view = grid.view();
    const QModelIndex index = view->model()->index(row - 1, col - 1);
    view->setCurrentIndex(index);
    QTest::keyClick(view, Qt::Key_F2);
    QWidget* editor = view->indexWidget(index);
    ASSERT_NE(editor, nullptr) << "no editor opened in cell " << col << "," << row;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    if (commitKey == Qt::Key_unknown)
        return;
    QTest::keyClick(editor, commitKey);
    // The editor commits and closes from the event loop, and the grid's events
    // reach the window in a posted call after that, as they do for a person.
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->indexWidget(index) == nullptr; }));
    QCoreApplication::sendPostedEvents();
}

wkDatabases_Form* PickerEnv::form() {
    // The entry point's window: the one on the screen, else the one loaded.
    wkDatabases_Form* loaded = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* f = qobject_cast<wkDatabases_Form*>(widget)) {
            if (f->isVisible())
                return f;
            loaded = f;
        }
    }
    return loaded;
}

void PickerEnv::pressButton(const QString& name, int level) {
    auto* button = form()->findChild<QPushButton*>(name + QLatin1Char('_') + QString::number(level));
    ASSERT_NE(button, nullptr) << name.toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

void PickerEnv::clickCell(grid::GridControl& grid, qint32 col, qint32 row, Qt::MouseButton button) {
    QTableView* view = grid.view();
    const QModelIndex index = view->model()->index(row - 1, col - 1);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), button, {}, view->visualRect(index).center());
}

std::unique_ptr<UiScript> PickerEnv::script() {
    auto s = std::make_unique<UiScript>();
    s->setRescue([] {
        if (wkDatabases_Form* f = form())
            f->Unload(1);
    });
    return s;
}

void PickerTest::SetUp() {
    m_env = PickerEnv::create(GetParam());
    if (!m_env)
        GTEST_SKIP() << engineName(GetParam()) << " is not available";
}

void PickerTest::TearDown() {
    if (m_env) {
        EXPECT_TRUE(m_env->dialogs().unexpected().isEmpty() && m_env->dialogs().pending() == 0)
            << "a dialog came unasked or never came: "
            << m_env->dialogs().unexpected().join(u'\n').toStdString();
    }
}

void EntryPointTest::TearDown() {
    PickerTest::TearDown();
    if (m_script) {
        EXPECT_TRUE(m_script->finished() && m_script->failures().isEmpty())
            << "unfinished script: " << m_script->failures().join(u'\n').toStdString();
    }
    if (m_env) {
        EXPECT_EQ(PickerEnv::form(), nullptr) << "the window outlived its request";
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

void EntryPointTest::play(std::initializer_list<std::function<void()>> steps) {
    m_script = PickerEnv::script();
    std::function<bool()> ready = up;
    for (const auto& s : steps)
        m_script->step(std::exchange(ready, nullptr), s);
    m_script->start();
}

} // namespace viVavazuruv::test
