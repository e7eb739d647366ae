#pragma once

#include <viVavazuruv/AutomationError.h>

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace viVavazuruv::test {

enum class Engine { SQLite, PostgreSQL };

std::string engineName(Engine engine);

// The code of the error call raised, or 0.
template <class F> std::int32_t errorOf(F&& call) try {
    call();
    return 0;
} catch (const AutomationError& e) {
    return e.code();
}

// A database of its own for one test: a fresh SQLite file in a temporary
// folder, or a fresh schema in the PostgreSQL test server named by
// VIVAVAZURUV_TEST_PG_URL, so tests never meet under ctest -j. Everything is
// dropped when the object goes.
class TestDatabase {
public:
    // Null when the engine is not available here; the caller skips then. With
    // CI=true a missing PostgreSQL server is a failure instead, so those cases
    // are never silently skipped there.
    // PostgreSQL connections are the host's own driver's, or with qtDriver
    // Qt's QPSQL, as a host of its own lends them (which a pooler in
    // transaction mode cannot serve: it prepares named statements).
    static std::unique_ptr<TestDatabase> create(Engine engine, bool qtDriver = false);
    ~TestDatabase();

    // A connection of the test's own, open, on the test's database or schema.
    QSqlDatabase db() const;
    // The same place as a reference-host URL (sqlite:PATH or postgresql://...?schema=NAME).
    QString url() const { return m_url; }
    // Opens a second, independent connection to the same place.
    QSqlDatabase openAnother(const QString& connectionName) const;
    // Runs a statement; fails the test with the driver's text when it fails.
    void exec(const QString& statement) const;

private:
    TestDatabase() = default;
    bool openConnection(const QString& name) const;

    Engine m_engine = Engine::SQLite;
    bool m_qtDriver = false;
    QString m_connectionName;
    QString m_url;
    QString m_schema;
    std::unique_ptr<QTemporaryDir> m_dir;
};

} // namespace viVavazuruv::test

// In a parameterised fixture: skips (or, in CI, fails) when the engine is missing. With true after
// the engine, on connections of Qt's own PostgreSQL driver (see create).
#define VV_REQUIRE_DATABASE(ptr, engine, ...)                                                                \
    do {                                                                                                     \
        ptr = ::viVavazuruv::test::TestDatabase::create(engine __VA_OPT__(, ) __VA_ARGS__);                  \
        if (!ptr)                                                                                            \
            GTEST_SKIP() << ::viVavazuruv::test::engineName(engine) << " is not available (set "             \
                         << "VIVAVAZURUV_TEST_PG_URL, or run scripts/test)";                                 \
    } while (false)

// The same on Qt's driver; skipped behind a pooler in transaction mode, which it cannot work through.
#define VV_REQUIRE_QT_DRIVER_DATABASE(ptr, engine)                                                           \
    do {                                                                                                     \
        if (engine == ::viVavazuruv::test::Engine::PostgreSQL &&                                             \
            qEnvironmentVariable("VIVAVAZURUV_TEST_PG_POOLED") == QLatin1String("transaction"))              \
            GTEST_SKIP() << "Qt's QPSQL driver prepares named statements, which a pooler in transaction "    \
                            "mode cannot keep";                                                              \
        VV_REQUIRE_DATABASE(ptr, engine, true);                                                              \
    } while (false)
