// Opening a long list: the component's load of level 0 (query, fill, sort into
// a loaded but unshown window) beside the practical floor (sqlite3 straight
// into string vectors and std::stable_sort) and the stock Qt approach
// (QSqlTableModel with QTableView, fetched completely).
#include "BenchList.h"
#include "BenchMain.h"

#include <ado/AdoConstants.h>
#include <ado/Recordset.h>
#include <core/RequestState.h>
#include <support/ScriptedDialogs.h>
#include <viVavazuruv/ReferenceHost.h>
#include <window/wkDatabases_Form.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTemporaryDir>

#include <malloc.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace viVavazuruv;

namespace {

// Resident and peak memory of this process in kB, from /proc.
long procStatusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void resetPeakMemory() {
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

void BM_OpenList_Component(benchmark::State& bench) {
    BenchDatabase& data = BenchDatabase::forRows(int(bench.range(0)));
    RequestState& state = RequestState::instance();
    wkDatabases_Form form(state, benchRequest(state, data.host(), QStringLiteral("NOSUCHLIST")),
                          std::make_shared<test::ScriptedDialogs>());
    form.Load(); // loaded but never shown, as an entry point has it before it answers
    for (auto _ : bench) {
        form.Load_Database(0, kBenchListCode, true);
        benchmark::DoNotOptimize(form.level(0).grid().MaxRows());
    }
    if (form.level(0).grid().MaxRows() != bench.range(0))
        bench.SkipWithError("the list did not load completely");
    bench.counters["rows_per_second"] =
        benchmark::Counter(double(bench.range(0)) * double(bench.iterations()), benchmark::Counter::kIsRate);
}

// Bytes the heap has handed out and not had back.
double heapInUseMB() {
    const struct mallinfo2 heap = mallinfo2();
    return double(heap.uordblks + heap.hblkhd) / (1024.0 * 1024.0);
}

// Peak memory of one load above an empty window, measured once on its own so
// the timing runs above keep their warm heap; and where the bytes go: what the
// loaded grid keeps (model and view), and what the recordset holds while it
// is open (one block of rows: the next arrives as the grid takes them over).
void BM_OpenList_ComponentMemory(benchmark::State& bench) {
    BenchDatabase& data = BenchDatabase::forRows(int(bench.range(0)));
    RequestState& state = RequestState::instance();
    wkDatabases_Form form(state, benchRequest(state, data.host(), QStringLiteral("NOSUCHLIST")),
                          std::make_shared<test::ScriptedDialogs>());
    form.Load();
    // Free heap from making the test data goes back to the system first, so
    // the list's own pages show in the resident size.
    malloc_trim(0);
    const long baseline = procStatusKb("VmRSS");
    const double heapBefore = heapInUseMB();
    resetPeakMemory();
    for (auto _ : bench)
        form.Load_Database(0, kBenchListCode, true);
    const long peak = procStatusKb("VmHWM");
    bench.counters["peak_MB_above_empty_window"] = double(peak - baseline) / 1024.0;
    bench.counters["resident_MB_after_load"] = double(procStatusKb("VmRSS") - baseline) / 1024.0;
    bench.counters["grid_MB"] = heapInUseMB() - heapBefore;
    const double heapBeforeRecordset = heapInUseMB();
    ado::Recordset rs;
    rs.setCursorLocation(ado::adUseClient);
    // Opened as a load opens it: its rows arrive while they are read.
    rs.Open(QStringLiteral("select * from UsrDefTable where UsrDefCod = 'BENCH'"),
            data.host()->GetConnection(), ado::adOpenForwardOnly, ado::adLockReadOnly,
            ado::adCmdText | ado::adAsyncFetch);
    bench.counters["recordset_MB"] = heapInUseMB() - heapBeforeRecordset;
}

struct RawRow {
    std::string group, description, flag, code, letter;
    long long key = 0;
};

void BM_OpenList_RawSqlite(benchmark::State& bench) {
    BenchDatabase& data = BenchDatabase::forRows(int(bench.range(0)));
    const QByteArray file = QFile::encodeName(data.path());
    // One connection for every iteration, as the component keeps its host's:
    // the floor reads from a warm page cache too.
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        bench.SkipWithError("sqlite3_open_v2 failed");
        return;
    }
    for (auto _ : bench) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "select * from UsrDefTable where UsrDefCod = 'BENCH'", -1, &stmt, nullptr);
        const auto text = [&](int column) {
            const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            return chars ? std::string(chars) : std::string();
        };
        // Column positions resolved once by name, as the component does.
        std::map<std::string, int> at;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c)
            at[sqlite3_column_name(stmt, c)] = c;
        // Sized once: growing a vector of rows would fault in fresh pages at
        // every doubling and make the floor the machine's page-fault rate.
        std::vector<RawRow> rows;
        rows.reserve(size_t(bench.range(0)));
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            rows.push_back({text(at["usrdefSeqCod"]), text(at["usrdefDes"]), text(at["usrdefCDSDRWFla"]),
                            text(at["usrdefADA"]), text(at["usrdefLetNam"]),
                            sqlite3_column_int64(stmt, at["usrdefInd"])});
        }
        sqlite3_finalize(stmt);
        std::stable_sort(rows.begin(), rows.end(), [](const RawRow& a, const RawRow& b) {
            if (a.group != b.group)
                return a.group < b.group;
            return a.description < b.description;
        });
        benchmark::DoNotOptimize(rows.data());
        if (qint64(rows.size()) != bench.range(0))
            bench.SkipWithError("the list did not load completely");
    }
    sqlite3_close(db);
}

class SortedListModel final : public QSqlTableModel {
public:
    using QSqlTableModel::QSqlTableModel;

protected:
    QString orderByClause() const override { return QStringLiteral("ORDER BY usrdefSeqCod, usrdefDes"); }
};

void BM_OpenList_QtTableModel(benchmark::State& bench) {
    BenchDatabase& data = BenchDatabase::forRows(int(bench.range(0)));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("qt_table_model"));
    db.setDatabaseName(data.path());
    db.open();
    for (auto _ : bench) {
        SortedListModel model(nullptr, db);
        model.setTable(QStringLiteral("UsrDefTable"));
        model.setFilter(QStringLiteral("UsrDefCod = 'BENCH'"));
        loadStockModel(bench, model);
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("qt_table_model"));
}

BENCHMARK(BM_OpenList_Component)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenList_ComponentMemory)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenList_RawSqlite)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenList_QtTableModel)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
