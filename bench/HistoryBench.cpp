// The list history's seal and its check over a long history, on SQLite and
// (when a server is given) PostgreSQL: an import recorded as one run of
// inserts, short runs of updates (an entry of several changes each on
// SQLite), and a few changes made outside any run. Beside the times, how far
// the process's peak resident memory rose over what it held before each step.
#include "BenchMain.h"

#include <viVavazuruv/ListHistory.h>
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/UsrDefTable.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

using namespace viVavazuruv;

namespace {

// A field of /proc/self/status in kB ("VmHWM", "VmRSS").
double statusKb(const QByteArray& field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toDouble();
    return 0;
}

// The peak is set back to what the process holds now, so the next reading
// tells what one step added, not what building the history took.
bool resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

void runOrDie(QSqlQuery& q, const QString& sql, const QVariantList& values = {}) {
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

struct HistoryDatabase {
    QTemporaryDir dir;
    QString schema;
    std::unique_ptr<ReferenceHost> host;
    ~HistoryDatabase() {
        if (!schema.isEmpty() && host)
            QSqlQuery(host->GetConnection())
                .exec(QStringLiteral("DROP SCHEMA IF EXISTS ") + schema + QStringLiteral(" CASCADE"));
    }
};

// A database of its own whose history holds that many unsealed changes:
// nine tenths one import, the rest updates in runs of ten keys spread over
// it (so some inserts take their row after from a later update, the others
// from the table), one run in a hundred a statement outside any run.
std::unique_ptr<HistoryDatabase> historyOf(qint64 changes, bool postgres) {
    static int made = 0;
    auto bench = std::make_unique<HistoryDatabase>();
    if (postgres)
        bench->schema =
            QStringLiteral("bench_history_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    QString url = benchDatabaseUrl(bench->dir.path(), bench->schema);
    if (url.isEmpty())
        return nullptr;
    if (postgres) // the import and the seal are single statements of minutes at a million changes
        url += QStringLiteral("&statement_timeout=3600000");
    bench->host = std::make_unique<ReferenceHost>(url, nullptr, bench->dir.filePath(QStringLiteral("data")));
    ReferenceHost& host = *bench->host;
    QSqlQuery q(host.GetConnection());
    q.setForwardOnly(true);
    runOrDie(q, QStringLiteral("DELETE FROM UsrDefTable"));
    ListHistory(host).seal();

    const qint64 inserts = changes * 9 / 10;
    const QString row = QStringLiteral("'PROCS', 'P' || i, 'Periodic exam and cleaning', 'D' || (1000 + i % "
                                       "9000), 1");
    const QString into = QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6) ")
                             .arg(usrdef::kTable, usrdef::kCode, usrdef::kGroup, usrdef::kDescription,
                                  usrdef::kProcedureCode, usrdef::kOffice);
    host.BeginSaveRecords();
    runOrDie(q,
             postgres ? into + QStringLiteral("SELECT %1 FROM generate_series(1, ?) i").arg(row)
                      : QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                                       "i < ?) ") +
                            into + QStringLiteral("SELECT %1 FROM n").arg(row),
             {inserts});
    host.EndSaveRecords(true);
    runOrDie(q, QStringLiteral("SELECT MIN(usrdefInd) FROM UsrDefTable"));
    const qint64 first = q.next() ? q.value(0).toLongLong() : 1;
    q.finish();

    const QString update = QStringLiteral(
        "UPDATE UsrDefTable SET usrdefDes = usrdefDes || ' (revised)' WHERE usrdefInd IN (%1)");
    qint64 updated = 0;
    for (qint64 run = 0; updated < changes - inserts; ++run) {
        QStringList keys;
        for (int k = 0; k < 10 && updated + keys.size() < changes - inserts; ++k)
            keys << QString::number(first + (run * 10 + k) * 7919 % inserts);
        const bool outside = run % 100 == 99;
        if (!outside)
            host.BeginSaveRecords();
        runOrDie(q, update.arg(keys.join(u',')));
        if (!outside)
            host.EndSaveRecords(true);
        updated += keys.size();
    }
    return bench;
}

void sealAndVerify(benchmark::State& state, bool postgres) {
    const qint64 changes = state.range(0);
    double sealMs = 0, verifyMs = 0, sealMb = 0, verifyMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<HistoryDatabase> bench = historyOf(changes, postgres);
        if (!bench) {
            state.SkipWithError("no PostgreSQL server: set VIVAVAZURUV_TEST_PG_URL (scripts/pg-server)");
            return;
        }
        ListHistory history(*bench->host);
        state.ResumeTiming();

        double held = statusKb("VmRSS");
        if (!resetPeak())
            state.SkipWithError("the peak resident memory cannot be set back (/proc/self/clear_refs)");
        QElapsedTimer timer;
        timer.start();
        const qint64 sealed = history.seal();
        sealMs += double(timer.nsecsElapsed()) / 1e6;
        sealMb = std::max(sealMb, (statusKb("VmHWM") - held) / 1024);
        if (sealed != changes)
            state.SkipWithError("not every change made was sealed");

        held = statusKb("VmRSS");
        resetPeak();
        timer.start();
        const HistoryCheck check = history.verify();
        verifyMs += double(timer.nsecsElapsed()) / 1e6;
        verifyMb = std::max(verifyMb, (statusKb("VmHWM") - held) / 1024);
        if (!check.intact || check.changes < sealed)
            state.SkipWithError(qPrintable(QStringLiteral("the history does not verify: ") + check.reason));
        state.counters["sealed"] = double(sealed);

        state.PauseTiming();
        bench.reset();
        state.ResumeTiming();
    }
    const double runs = double(state.iterations());
    state.counters["seal_ms"] = sealMs / runs;
    state.counters["verify_ms"] = verifyMs / runs;
    state.counters["seal_peak_MB"] = sealMb;
    state.counters["verify_peak_MB"] = verifyMb;
}

void BM_SealAndVerify(benchmark::State& state) {
    sealAndVerify(state, false);
}
void BM_SealAndVerify_PostgreSQL(benchmark::State& state) {
    sealAndVerify(state, true);
}

// 10,000 for CI's brief run; the figures come from the others.
BENCHMARK(BM_SealAndVerify)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_SealAndVerify_PostgreSQL)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
