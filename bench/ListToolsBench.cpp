// vv-lists on a 100,000-row list: export (CSV and JSON) and import of a CSV
// file, on SQLite and (when a server is given) PostgreSQL; beside the import,
// the same rows through one SaveRecord call each.
#include "BenchMain.h"

#include "ListExport.h"
#include "ListImport.h"
#include "RecordSource.h"

#include <viVavazuruv/ListHistory.h>
#include <viVavazuruv/ReferenceHost.h>

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <map>
#include <memory>

using namespace viVavazuruv;
using namespace viVavazuruv::lists;

namespace {

constexpr int kRows = 100000;

// A procedure list as an office might keep it: codes, descriptions with a
// comma now and then, a variable, a procedure code and a few letters.
QByteArray listFile() {
    QByteArray file = "UsrDefCod,usrdefSeqCod,usrdefDes,usrdefCDSDRWFla,usrdefADA,usrdefLetNam\r\n";
    for (int i = 0; i < kRows; ++i) {
        file += "PROCS,P" + QByteArray::number(i);
        file += i % 7 == 0 ? ",\"Composite filling, posterior, on |TEETH\"" : ",Periodic exam and cleaning";
        file += i % 3 == 0 ? ",F,D" : ",,D";
        file += QByteArray::number(1000 + i % 9000);
        file += i % 50 == 0 ? ",RECALL.RTF\r\n" : ",\r\n";
    }
    return file;
}

struct BenchHost {
    QTemporaryDir dir;
    std::unique_ptr<ReferenceHost> host;
    QString schema;
    ~BenchHost() {
        if (!schema.isEmpty())
            QSqlQuery(host->GetConnection())
                .exec(QStringLiteral("DROP SCHEMA IF EXISTS ") + schema + QStringLiteral(" CASCADE"));
    }
    void empty() { QSqlQuery(host->GetConnection()).exec(QStringLiteral("DELETE FROM UsrDefTable")); }
};

// One database per engine for the program, made on first use; null when the
// PostgreSQL server is not given.
BenchHost* hostFor(bool postgres, bool history = true) {
    static std::map<std::pair<bool, bool>, std::unique_ptr<BenchHost>> hosts;
    auto& made = hosts[{postgres, history}];
    if (made)
        return made.get();
    auto bench = std::make_unique<BenchHost>();
    if (postgres)
        bench->schema = QStringLiteral("bench_lists_%1%2")
                            .arg(QCoreApplication::applicationPid())
                            .arg(history ? QString() : QStringLiteral("_plain"));
    const QString url = benchDatabaseUrl(bench->dir.path(), bench->schema);
    if (url.isEmpty())
        return nullptr;
    bench->host = std::make_unique<ReferenceHost>(url, nullptr, bench->dir.filePath(QStringLiteral("data")));
    useOffice(*bench->host, 1);
    if (!history)
        stopListHistory(bench->host->GetConnection());
    bench->empty();
    made = std::move(bench);
    atBenchExit([] { hosts.clear(); });
    return made.get();
}

void importList(benchmark::State& state, bool postgres, bool history = true) {
    BenchHost* bench = hostFor(postgres, history);
    if (!bench) {
        state.SkipWithError("no PostgreSQL server: set VIVAVAZURUV_TEST_PG_URL (scripts/pg-server)");
        return;
    }
    const QByteArray file = listFile();
    qint64 sealNs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench->empty();
        if (history)
            ListHistory(*bench->host).seal(); // the rows emptied out
        state.ResumeTiming();
        if (importLists(*bench->host, *csvRecords(file), {}).added != kRows)
            state.SkipWithError("the rows were not imported");
        // The import's changes are sealed when the history is next read: timed apart.
        sealNs += sealUntimed(state, *bench->host);
    }
    state.counters["rows"] = kRows;
    state.counters["seal_ms"] = double(sealNs) / 1e6 / double(state.iterations());
}

void exportList(benchmark::State& state, bool postgres) {
    BenchHost* bench = hostFor(postgres);
    if (!bench) {
        state.SkipWithError("no PostgreSQL server: set VIVAVAZURUV_TEST_PG_URL (scripts/pg-server)");
        return;
    }
    bench->empty();
    importLists(*bench->host, *csvRecords(listFile()), {});
    const FileFormat format = state.range(0) == 0 ? FileFormat::Csv : FileFormat::Json;
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        if (exportLists(*bench->host, {QStringLiteral("PROCS")}, format, out) != kRows)
            state.SkipWithError("the rows were not exported");
        state.counters["MB"] = double(out.size()) / 1e6;
    }
    state.counters["rows"] = kRows;
}

void BM_ImportList(benchmark::State& state) {
    importList(state, false);
}
void BM_ImportList_PostgreSQL(benchmark::State& state) {
    importList(state, true);
}
// The same without the list history's triggers, for its price.
void BM_ImportList_WithoutHistory(benchmark::State& state) {
    importList(state, false, false);
}
void BM_ImportList_PostgreSQL_WithoutHistory(benchmark::State& state) {
    importList(state, true, false);
}
void BM_ExportList(benchmark::State& state) {
    exportList(state, false);
}
void BM_ExportList_PostgreSQL(benchmark::State& state) {
    exportList(state, true);
}

// The way the tool does not take: SaveRecord for every row, in one transaction.
void BM_ImportList_SaveRecordEach(benchmark::State& state) {
    BenchHost* bench = hostFor(false);
    const QStringList fields{QStringLiteral("UsrDefCod"), QStringLiteral("usrdefSeqCod"),
                             QStringLiteral("usrdefDes"), QStringLiteral("usrdefADA")};
    for (auto _ : state) {
        state.PauseTiming();
        bench->empty();
        state.ResumeTiming();
        QSqlDatabase db = bench->host->GetConnection();
        db.transaction();
        for (int i = 0; i < kRows; ++i) {
            qint32 key = 0;
            bench->host->SaveRecord(1, QStringLiteral("UsrDefTable"), QStringLiteral("usrdefInd"), key,
                                    fields,
                                    {QStringLiteral("PROCS"), QStringLiteral("P%1").arg(i),
                                     QStringLiteral("Periodic exam and cleaning"), QStringLiteral("D0120")},
                                    true);
        }
        db.commit();
    }
    state.counters["rows"] = kRows;
}

BENCHMARK(BM_ImportList)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_ImportList_WithoutHistory)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_ExportList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_ImportList_SaveRecordEach)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ImportList_PostgreSQL)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_ImportList_PostgreSQL_WithoutHistory)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5);
BENCHMARK(BM_ExportList_PostgreSQL)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5);

} // namespace
