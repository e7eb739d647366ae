// Opening a long list on PostgreSQL: the component's load of level 0 beside
// the floor (libpq's PQexec, its result kept as it is, and only the sort keys
// built: the group and description folded to lower case, sorted stably) and
// the stock Qt approach (QSqlTableModel on the QPSQL driver, fetched
// completely). Needs the server VIVAVAZURUV_TEST_PG_URL names
// (scripts/pg-server); without one each benchmark says so and is skipped.
#include "BenchMain.h"

#include <core/RequestState.h>
#include <support/ScriptedDialogs.h>
#include <viVavazuruv/ReferenceHost.h>
#include <window/wkDatabases_Form.h>

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace viVavazuruv;

namespace {

const QString kList = QStringLiteral("BENCH");

// One schema per list length, filled once for every contender.
struct PgList {
    QTemporaryDir dir;
    QString schema;
    std::shared_ptr<ReferenceHost> host;
    PGconn* raw = nullptr;
    ~PgList() {
        if (raw)
            PQfinish(raw);
        if (host)
            QSqlQuery(host->GetConnection())
                .exec(QStringLiteral("DROP SCHEMA IF EXISTS ") + schema + QStringLiteral(" CASCADE"));
    }
};

std::map<int, std::unique_ptr<PgList>> g_lists;

PgList* listOf(int rows) {
    auto& made = g_lists[rows];
    if (made)
        return made.get();
    auto list = std::make_unique<PgList>();
    list->schema = QStringLiteral("bench_open_%1_%2").arg(QCoreApplication::applicationPid()).arg(rows);
    const QString url = benchDatabaseUrl(list->dir.path(), list->schema);
    if (url.isEmpty())
        return nullptr;
    list->host = ReferenceHost::Open(url, std::make_shared<test::ScriptedDialogs>(),
                                     list->dir.filePath(QStringLiteral("data")));
    QSqlDatabase db = list->host->GetConnection();
    db.transaction();
    // Rows in statements of a thousand: the setup, not what is measured.
    for (int first = 0; first < rows; first += 1000) {
        QStringList values;
        for (int i = first; i < std::min(rows, first + 1000); ++i)
            values << QStringLiteral("('%1', '%2', 'composite amalgam crown %3', '', 'D%4', '', 1)")
                          .arg(kList)
                          .arg(QChar(u'A' + (i * 7) % 26) + QString(QChar(u'A' + (i * 13) % 16)))
                          .arg((i * 7919) % 100000)
                          .arg(i % 10000, 4, 10, QLatin1Char('0'));
        QSqlQuery insert(db);
        if (!insert.exec(QStringLiteral("INSERT INTO UsrDefTable (UsrDefCod, usrdefSeqCod, usrdefDes, "
                                        "usrdefCDSDRWFla, usrdefADA, usrdefLetNam, OfficeID) VALUES ") +
                         values.join(QLatin1Char(','))))
            qFatal("bench data: %s", qPrintable(insert.lastError().text()));
    }
    db.commit();
    list->raw = PQconnectdb(qgetenv("VIVAVAZURUV_TEST_PG_URL").constData());
    if (PQstatus(list->raw) != CONNECTION_OK)
        qFatal("libpq: %s", PQerrorMessage(list->raw));
    PQclear(PQexec(list->raw, ("SET search_path TO " + list->schema.toStdString()).c_str()));
    made = std::move(list);
    if (g_lists.size() == 1)
        atBenchExit([] {
            RequestState::instance().GIC.reset();
            g_lists.clear();
        });
    return made.get();
}

void BM_OpenListPg_Component(benchmark::State& bench) {
    PgList* list = listOf(int(bench.range(0)));
    if (!list)
        return bench.SkipWithError("no PostgreSQL server: set VIVAVAZURUV_TEST_PG_URL (scripts/pg-server)");
    RequestState& state = RequestState::instance();
    state.GIC = list->host;
    wkDatabases_Form form(
        state,
        PickerRequest::ForList(QStringLiteral("NOSUCHLIST"),
                               {false, QStringLiteral("Description"), QStringLiteral("Benchmark"),
                                QStringLiteral("Benchmark"), QString(), QString()}),
        std::make_shared<test::ScriptedDialogs>());
    form.Load();
    for (auto _ : bench) {
        form.Load_Database(0, kList, true);
        benchmark::DoNotOptimize(form.level(0).grid().MaxRows());
    }
    if (form.level(0).grid().MaxRows() != bench.range(0))
        bench.SkipWithError("the list did not load completely");
}

// One row's sort key: its folded group and description, one after the other
// with a NUL between (below every character), the first eight bytes as a
// number so most comparisons stop there.
struct RawKey {
    quint64 prefix = 0;
    quint32 begin = 0;
    quint32 size = 0;
    qint32 row = 0;
};

void BM_OpenListPg_RawLibpq(benchmark::State& bench) {
    PgList* list = listOf(int(bench.range(0)));
    if (!list)
        return bench.SkipWithError("no PostgreSQL server: set VIVAVAZURUV_TEST_PG_URL (scripts/pg-server)");
    PGresult* result = nullptr;
    std::string folded;
    std::vector<RawKey> keys;
    for (auto _ : bench) {
        // The list before goes as the next is read, as a grid refilled drops its rows.
        PQclear(result);
        result = PQexec(list->raw, "select * from usrdeftable where usrdefcod = 'BENCH'");
        if (PQresultStatus(result) != PGRES_TUPLES_OK) {
            bench.SkipWithError(PQresultErrorMessage(result));
            break;
        }
        const int group = PQfnumber(result, "usrdefseqcod"), description = PQfnumber(result, "usrdefdes");
        const int rows = PQntuples(result);
        folded.clear();
        keys.resize(size_t(rows));
        for (int r = 0; r < rows; ++r) {
            RawKey& key = keys[size_t(r)];
            key.begin = quint32(folded.size());
            const auto fold = [&](int column) {
                const char* text = PQgetvalue(result, r, column);
                for (int i = 0, n = PQgetlength(result, r, column); i < n; ++i)
                    folded.push_back(char(std::tolower(static_cast<unsigned char>(text[i]))));
            };
            fold(group);
            folded.push_back('\0');
            fold(description);
            key.size = quint32(folded.size()) - key.begin;
            key.row = r;
        }
        for (RawKey& key : keys) {
            for (quint32 i = 0; i < 8; ++i)
                key.prefix = (key.prefix << 8) | (i < key.size ? quint8(folded[key.begin + i]) : 0);
        }
        std::stable_sort(keys.begin(), keys.end(), [&](const RawKey& a, const RawKey& b) {
            if (a.prefix != b.prefix)
                return a.prefix < b.prefix;
            const int c =
                std::memcmp(folded.data() + a.begin, folded.data() + b.begin, std::min(a.size, b.size));
            return c != 0 ? c < 0 : a.size < b.size;
        });
        benchmark::DoNotOptimize(keys.data());
        if (qint64(keys.size()) != bench.range(0))
            bench.SkipWithError("the list did not load completely");
    }
    PQclear(result);
}

void BM_OpenListPg_QtTableModel(benchmark::State& bench) {
    PgList* list = listOf(int(bench.range(0)));
    if (!list)
        return bench.SkipWithError("no PostgreSQL server: set VIVAVAZURUV_TEST_PG_URL (scripts/pg-server)");
    QSqlDatabase db = list->host->GetConnection();
    for (auto _ : bench) {
        QSqlTableModel model(nullptr, db);
        model.setTable(QStringLiteral("usrdeftable"));
        model.setFilter(QStringLiteral("usrdefcod = 'BENCH'"));
        model.setSort(model.fieldIndex(QStringLiteral("usrdefseqcod")), Qt::AscendingOrder);
        loadStockModel(bench, model);
    }
}

BENCHMARK(BM_OpenListPg_Component)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenListPg_RawLibpq)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenListPg_QtTableModel)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
