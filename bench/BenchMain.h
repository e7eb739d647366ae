#pragma once

#include <QString>

#include <functional>

// Runs cleanup after the benchmarks and before the application object goes,
// for what must not outlive it (database connections, windows).
void atBenchExit(std::function<void()> cleanup);

// A database of a benchmark's own: a SQLite file in folder, or, with a schema
// name, that schema on the PostgreSQL server VIVAVAZURUV_TEST_PG_URL names
// ("" when it names none).
QString benchDatabaseUrl(const QString& folder, const QString& schema = {});
