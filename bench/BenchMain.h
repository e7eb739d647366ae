#pragma once

#include <QString>

#include <functional>

class QSqlDatabase;
namespace viVavazuruv {
class ReferenceHost;
}
class QSqlTableModel;
namespace benchmark {
class State;
}

// Runs cleanup after the benchmarks and before the application object goes,
// for what must not outlive it (database connections, windows).
void atBenchExit(std::function<void()> cleanup);

// A database of a benchmark's own: a SQLite file in folder, or, with a schema
// name, that schema on the PostgreSQL server VIVAVAZURUV_TEST_PG_URL names
// ("" when it names none).
QString benchDatabaseUrl(const QString& folder, const QString& schema = {});

// Stops recording UsrDefTable's changes in the list history of the database
// connection names (its triggers dropped or disabled, its table dropped), for
// the figures without it in the same run; the host makes them again when it
// next opens the database.
void stopListHistory(const QSqlDatabase& connection);
bool hasListHistory(const QSqlDatabase& connection);

// Seals the list history's waiting changes, if it has one, with the
// benchmark's clock stopped (the host seals off the user's path); returns
// the sealing's nanoseconds.
qint64 sealUntimed(benchmark::State& state, viVavazuruv::ReferenceHost& host);

// The stock approach to showing a list: model shown in a QTableView, selected
// and fetched completely (every row must be searchable); the run fails
// unless it holds the benchmark's row count.
void loadStockModel(benchmark::State& bench, QSqlTableModel& model);
