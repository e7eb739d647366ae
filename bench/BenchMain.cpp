// main() of every benchmark program: an application object first (Qt's SQL
// drivers and widgets need one), offscreen unless a platform is chosen.
#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <viVavazuruv/ListHistory.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTableView>
#include <QUrl>
#include <QUrlQuery>

#include <vector>

namespace {
std::vector<std::function<void()>>& cleanups() {
    static std::vector<std::function<void()>> registered;
    return registered;
}
} // namespace

void atBenchExit(std::function<void()> cleanup) {
    cleanups().push_back(std::move(cleanup));
}

void loadStockModel(benchmark::State& bench, QSqlTableModel& model) {
    QTableView view;
    view.setModel(&model);
    model.select();
    while (model.canFetchMore())
        model.fetchMore();
    if (model.rowCount() != bench.range(0))
        bench.SkipWithError("the list did not load completely");
    benchmark::DoNotOptimize(model.rowCount());
}

QString benchDatabaseUrl(const QString& folder, const QString& schema) {
    if (schema.isEmpty())
        return QStringLiteral("sqlite:") + QDir(folder).filePath(QStringLiteral("bench.db"));
    const QString server = qEnvironmentVariable("VIVAVAZURUV_TEST_PG_URL");
    if (server.isEmpty())
        return {};
    QUrl url(server);
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("schema"), schema);
    url.setQuery(query);
    return url.toString();
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (auto& cleanup : cleanups())
        cleanup();
    return 0;
}

qint64 sealUntimed(benchmark::State& state, viVavazuruv::ReferenceHost& host) {
    state.PauseTiming();
    QElapsedTimer sealing;
    sealing.start();
    if (hasListHistory(host.GetConnection()))
        viVavazuruv::ListHistory(host).seal();
    const qint64 ns = sealing.nsecsElapsed();
    state.ResumeTiming();
    return ns;
}

void stopListHistory(const QSqlDatabase& connection) {
    QSqlQuery q(connection);
    const QStringList statements =
        connection.driverName() != QStringLiteral("QSQLITE")
            ? QStringList{QStringLiteral("ALTER TABLE UsrDefTable DISABLE TRIGGER USER")}
            : QStringList{QStringLiteral("DROP TRIGGER IF EXISTS UsrDefHistory_Insert"),
                          QStringLiteral("DROP TRIGGER IF EXISTS UsrDefHistory_Update"),
                          QStringLiteral("DROP TRIGGER IF EXISTS UsrDefHistory_Delete"),
                          QStringLiteral("DROP TRIGGER IF EXISTS temp.UsrDefHistory_Who")};
    for (const QString& statement : statements)
        if (!q.exec(statement))
            qFatal("%s", qPrintable(q.lastError().text()));
    // Without its table a run of saves records nothing either.
    if (!q.exec(QStringLiteral("DROP TABLE UsrDefHistory")))
        qFatal("%s", qPrintable(q.lastError().text()));
}

bool hasListHistory(const QSqlDatabase& connection) {
    QSqlQuery q(connection);
    return q.exec(QStringLiteral("SELECT COUNT(*) FROM UsrDefHistory WHERE 1 = 0"));
}
