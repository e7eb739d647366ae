#pragma once

#include <support/ScriptedDialogs.h>
#include <support/TestDatabase.h>

#include <ado/Connection.h>
#include <ado/Recordset.h>
#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/ReferenceHost.h>

#include <gtest/gtest.h>
#include <support/QtPrinting.h>

#include <QSqlQuery>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace viVavazuruv::test {

using namespace Qt::StringLiterals;

// Expects call to raise AutomationError with code, its message naming named.
inline void expectError(const std::function<void()>& call, std::int32_t code, const QString& named) {
    try {
        call();
        ADD_FAILURE() << "no error, expected one naming " << named.toStdString();
    } catch (const AutomationError& e) {
        EXPECT_TRUE(e.code() == code && e.message().contains(named))
            << e.code() << ' ' << e.message().toStdString();
    }
}

// A reference host on a database of the test's own, on the engine of the parameter.
class HostTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        VV_REQUIRE_DATABASE(m_db, GetParam());
        m_dialogs = std::make_shared<ScriptedDialogs>();
        m_host = std::make_unique<ReferenceHost>(m_db->url(), m_dialogs, m_folder.path());
    }

    ReferenceHost& host() { return *m_host; }

    // A second host object on the same database, as another workstation would open it.
    std::unique_ptr<ReferenceHost> anotherHost() const {
        return std::make_unique<ReferenceHost>(m_db->url(), nullptr, m_folder.path());
    }

    // The first column of the first row sql gives, through the host or on the test's own connection.
    QVariant value(const QString& sql, bool own = false) const {
        QSqlQuery q(own ? m_db->db() : m_host->GetConnection());
        EXPECT_TRUE(q.exec(sql) && q.next()) << sql.toStdString();
        return q.value(0);
    }
    qint64 scalar(const QString& sql, bool own = false) const { return value(sql, own).toLongLong(); }

    // Inserts one UsrDefTable row through the host and returns its key.
    qint32 addEntry(const QString& code, const QString& description, ReferenceHost* through = nullptr) {
        qint32 key = 0;
        EXPECT_TRUE(saveEntry(key, {u"UsrDefCod"_s, u"usrdefDes"_s}, {code, description}, through));
        return key;
    }

    // SaveRecord as the component calls it, on paTable unless told otherwise.
    bool save(qint32& key, const QStringList& names, const QStringList& values,
              const QString& table = u"paTable"_s, const QString& keyField = u"pID"_s) {
        return m_host->SaveRecord(1, table, keyField, key, names, values, true);
    }
    bool saveEntry(qint32& key, const QStringList& names, const QStringList& values,
                   ReferenceHost* through = nullptr) {
        return (through ? through : m_host.get())
            ->SaveRecord(1, u"UsrDefTable"_s, u"usrdefInd"_s, key, names, values, true);
    }

    // A new description for the row of key, and the one stored.
    bool describe(qint32 key, const QString& text, ReferenceHost* through = nullptr) {
        return saveEntry(key, {u"usrdefDes"_s}, {text}, through);
    }
    QString description(qint32 key, bool own = false) const {
        return value(u"SELECT usrdefDes FROM UsrDefTable WHERE usrdefInd = %1"_s.arg(key), own).toString();
    }

    // The component's statement for a list, as the host translates it.
    QString loadStatement(const QString& code) {
        return m_host->TranslateSql(
            u"select * from UsrDefTable where UsrDefCod = "_s + m_host->SqlValue(code, false, 1, 0), 1, 0);
    }

    // One field of every row the component's statement for the list (and more conditions) returns.
    QStringList load(const QString& code, const QString& field = u"UsrDefCod"_s,
                     const QString& andMore = {}) {
        ado::Recordset rs;
        rs.Open(loadStatement(code) + andMore, m_host->GetConnection(), 0, 1, 1);
        QStringList values;
        for (; !rs.Eof(); rs.MoveNext())
            values << rs.Fields(field).toString();
        values.sort();
        return values;
    }

    // A statement of the component's dialect, translated and run; gives the rows it touched.
    qint32 run(const QString& statement) {
        qint32 affected = -1;
        ado::Connection(m_host->GetConnection()).Execute(m_host->TranslateSql(statement, 1, 0), &affected);
        return affected;
    }

    bool postgres() const { return GetParam() == Engine::PostgreSQL; }

    std::unique_ptr<TestDatabase> m_db;
    QTemporaryDir m_folder;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<ReferenceHost> m_host;
};

} // namespace viVavazuruv::test

#define VV_ON_BOTH_ENGINES(suite)                                                                            \
    INSTANTIATE_TEST_SUITE_P(                                                                                \
        Engines, suite,                                                                                      \
        ::testing::Values(::viVavazuruv::test::Engine::SQLite, ::viVavazuruv::test::Engine::PostgreSQL),     \
        [](const auto& info) { return ::viVavazuruv::test::engineName(info.param); })

// A suite of plain HostTest on both engines; its tests may come after this.
#define VV_HOST_SUITE(suite)                                                                                 \
    class suite : public ::viVavazuruv::test::HostTest {};                                                   \
    VV_ON_BOTH_ENGINES(suite)
