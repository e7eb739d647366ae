// A request answered from the list without a window, and the save of a long
// list of edited rows, on SQLite and (when a server is given) PostgreSQL.
#include "BenchMain.h"

#include <core/RequestState.h>
#include <support/ScriptedDialogs.h>
#include <viVavazuruv/ListHistory.h>
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/wkDatabases.h>
#include <window/wkDatabases_Form.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace viVavazuruv;

namespace {

struct BenchHost {
    QTemporaryDir dir;
    std::shared_ptr<test::ScriptedDialogs> dialogs = std::make_shared<test::ScriptedDialogs>();
    std::shared_ptr<ReferenceHost> host;
    QString schema;
};

// A fresh database: a SQLite file, or a schema of its own on the PostgreSQL
// server named by VIVAVAZURUV_TEST_PG_URL. Null when that server is not given.
std::unique_ptr<BenchHost> openHost(bool postgres) {
    auto bench = std::make_unique<BenchHost>();
    if (postgres)
        bench->schema = QStringLiteral("bench_%1").arg(QCoreApplication::applicationPid());
    const QString url = benchDatabaseUrl(bench->dir.path(), bench->schema);
    if (url.isEmpty())
        return nullptr;
    bench->host = ReferenceHost::Open(url, bench->dialogs, bench->dir.filePath(QStringLiteral("data")));
    QSqlQuery(bench->host->GetConnection()).exec(QStringLiteral("DELETE FROM UsrDefTable"));
    return bench;
}

void addEntries(ReferenceHost& host, const QString& code, int count) {
    QSqlDatabase db = host.GetConnection();
    db.transaction();
    for (int i = 0; i < count; ++i) {
        qint32 key = 0;
        host.SaveRecord(
            1, QStringLiteral("UsrDefTable"), QStringLiteral("UsrDefInd"), key,
            {QStringLiteral("UsrDefCod"), QStringLiteral("usrdefSeqCod"), QStringLiteral("usrdefDes")},
            {code, QStringLiteral("G%1").arg(i, 4, 10, QLatin1Char('0')),
             QStringLiteral("Entry number %1").arg(i)},
            true);
    }
    db.commit();
}

void BM_LookupAnswered(benchmark::State& state) {
    auto bench = openHost(false);
    addEntries(*bench->host, QStringLiteral("CRECARD"), 50);
    wkDatabases component;
    component.put_GIC(bench->host);
    wkDatabases::SetDialogs(bench->dialogs);
    float top = 1000, left = 1000;
    for (auto _ : state) {
        QString tmp = QStringLiteral("g0025");
        const QString answer = component.UDDBS_Credit_Card(tmp, top, left);
        if (answer != QLatin1String("Entry number 25"))
            state.SkipWithError("the list did not answer");
        benchmark::DoNotOptimize(answer);
    }
    wkDatabases::SetDialogs(nullptr);
    component.put_GIC(nullptr);
}

void saveEdited(benchmark::State& state, bool postgres, bool history = true, bool floor = false) {
    auto bench = openHost(postgres);
    if (!bench) {
        state.SkipWithError("no PostgreSQL server: set VIVAVAZURUV_TEST_PG_URL (scripts/pg-server)");
        return;
    }
    const int rows = int(state.range(0));
    addEntries(*bench->host, QStringLiteral("ALERT"), rows);
    if (!history)
        stopListHistory(bench->host->GetConnection());
    RequestState& request = RequestState::instance();
    request.GIC = bench->host;
    wkDatabases_Form form(request,
                          PickerRequest::ForList(QStringLiteral("ALERT"),
                                                 {false, QStringLiteral("Medical Alert"),
                                                  QStringLiteral("Medical Alert Database"),
                                                  QStringLiteral("Medical Alert"), QString(), QString()}),
                          bench->dialogs);
    form.Load();
    IGridControl& grid = form.level(0).grid();
    int round = 0;
    if (history)
        ListHistory(*bench->host).seal(); // the list's rows as added
    qint64 sealNs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        for (qint32 r = 1; r <= grid.MaxRows(); ++r) {
            grid.SetText(2, r, QStringLiteral("Edited %1 in round %2").arg(r).arg(round));
            grid.SetText(7, r, QStringLiteral("M"));
        }
        form.level(0).ListChanged = true;
        bench->dialogs->expectMessage(MsgBox::AnswerYes);
        if (floor) {
            // The same rows' changes as one statement, committed: the least any save could send.
            QJsonArray changes;
            for (qint32 r = 1; r <= grid.MaxRows(); ++r)
                changes.append(QJsonObject{
                    {QStringLiteral("usrdefind"), grid.GetText(form.level(0).ColumnCount, r).toInt()},
                    {QStringLiteral("usrdefdes"), grid.GetText(2, r)}});
            const QString json = QString::fromUtf8(QJsonDocument(changes).toJson(QJsonDocument::Compact));
            QSqlDatabase db = bench->host->GetConnection();
            state.ResumeTiming();
            db.transaction();
            QSqlQuery update(db);
            update.prepare(QStringLiteral("UPDATE UsrDefTable AS t SET usrdefDes = v.usrdefdes FROM "
                                          "jsonb_populate_recordset(NULL::UsrDefTable, CAST(? AS jsonb)) AS "
                                          "v WHERE t.usrdefInd = v.usrdefind"));
            update.addBindValue(json);
            if (!update.exec() || update.numRowsAffected() != rows || !db.commit())
                return state.SkipWithError("the one statement did not write every row");
            state.PauseTiming();
            form.Load_Database(0, QStringLiteral("ALERT"), true); // untimed: the grid shows the rows again
            state.ResumeTiming();
        } else {
            state.ResumeTiming();
            form.Save_Database(0);
        }
        // The host seals the run's changes once idle again, off the save's path: timed apart.
        sealNs += sealUntimed(state, *bench->host);
    }
    state.counters["seal_ms"] = double(sealNs) / 1e6 / double(state.iterations());
    if (grid.GetText(7, 1) != QLatin1String("E") || !grid.GetText(2, 1).startsWith(QStringLiteral("Edited")))
        state.SkipWithError("the rows were not saved");
    state.counters["rows"] = rows;
    if (postgres)
        QSqlQuery(bench->host->GetConnection())
            .exec(QStringLiteral("DROP SCHEMA IF EXISTS ") + bench->schema + QStringLiteral(" CASCADE"));
    request.GIC.reset();
}

void BM_SaveEdited(benchmark::State& state) {
    saveEdited(state, false);
}
void BM_SaveEdited_PostgreSQL(benchmark::State& state) {
    saveEdited(state, true);
}
// The same without the list history's triggers, for its price.
void BM_SaveEdited_WithoutHistory(benchmark::State& state) {
    saveEdited(state, false, false);
}
void BM_SaveEdited_PostgreSQL_WithoutHistory(benchmark::State& state) {
    saveEdited(state, true, false);
}
// The floor a save on PostgreSQL is measured against: its changes as one statement.
void BM_SaveEdited_PostgreSQL_OneStatement(benchmark::State& state) {
    saveEdited(state, true, true, true);
}
void BM_SaveEdited_PostgreSQL_OneStatement_WithoutHistory(benchmark::State& state) {
    saveEdited(state, true, false, true);
}

BENCHMARK(BM_LookupAnswered)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SaveEdited)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveEdited_PostgreSQL)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveEdited_WithoutHistory)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveEdited_PostgreSQL_WithoutHistory)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveEdited_PostgreSQL_OneStatement)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveEdited_PostgreSQL_OneStatement_WithoutHistory)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace
