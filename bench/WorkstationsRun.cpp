// N workstation_worker processes, each with its own host and connection,
// work through an office's mix at once. The office is set up once; the
// workers' reports are gathered here, beside what the server did meanwhile:
// its CPU time, and what its sessions were doing (sampled).
#include "WorkstationsRun.h"

#include "BenchMain.h"

#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/UsrDefTable.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <vector>

using namespace viVavazuruv;
namespace workstations {

namespace {

// The office's lists in a schema of their own, made once for every N.
struct Office {
    QTemporaryDir dir;
    QString url;
    QString schema = QStringLiteral("bench_ws_%1").arg(QCoreApplication::applicationPid());
    std::shared_ptr<ReferenceHost> host;

    Office() {
        url = benchDatabaseUrl(dir.path(), schema);
        host = ReferenceHost::Open(url, {}, dir.filePath(QStringLiteral("data")));
        host->setOption(QStringLiteral("LIST_CONFLICT_CHECK"), QStringLiteral("1"));
        QSqlDatabase db = host->GetConnection();
        db.transaction();
        const auto add = [&](const QString& list, const QString& group, const QString& description) {
            qint32 key = 0;
            host->SaveRecord(1, usrdef::kTable, usrdef::kKey, key,
                             {usrdef::kCode, QStringLiteral("usrdefSeqCod"), QStringLiteral("usrdefDes")},
                             {list, group, description}, true);
        };
        for (const OfficeList& list : kLookupLists) {
            for (int row = 0; row < list.rows; ++row)
                add(QString::fromLatin1(list.code), groupOf(row),
                    descriptionOf(QString::fromLatin1(list.code), row));
        }
        const QString notes = QString::fromLatin1(kEditList);
        for (int w = 0; w < kMaxWorkstations; ++w) {
            for (int row = 0; row < kOwnRows; ++row)
                add(notes, ownGroup(w), QStringLiteral("Note %1 of workstation %2").arg(row).arg(w));
        }
        for (int row = 0; row < kSharedRows; ++row)
            add(notes, kSharedGroup, QStringLiteral("Shared note %1").arg(row));
        db.commit();
    }
    ~Office() {
        QSqlQuery drop(host->GetConnection());
        drop.exec(QStringLiteral("SET client_min_messages = warning")); // not a notice per table
        drop.exec(QStringLiteral("DROP SCHEMA IF EXISTS ") + schema + QStringLiteral(" CASCADE"));
    }
};

// Null when no server is named.
Office* office() {
    static std::unique_ptr<Office> made;
    if (!made && !qEnvironmentVariableIsEmpty("VIVAVAZURUV_TEST_PG_URL")) {
        made = std::make_unique<Office>();
        atBenchExit([] { made.reset(); });
    }
    return made.get();
}

// CPU seconds the server's processes have used so far, exited sessions
// included (the postmaster reaps them); nothing when the server is not a
// throwaway one of this machine (scripts/pg-server names its folder).
std::optional<double> serverCpuSeconds() {
    QFile pidFile(qEnvironmentVariable("VIVAVAZURUV_TEST_PG_DIR") + QStringLiteral("/data/postmaster.pid"));
    if (qEnvironmentVariableIsEmpty("VIVAVAZURUV_TEST_PG_DIR") || !pidFile.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 postmaster = pidFile.readLine().trimmed().toLongLong();
    // Fields after the command's closing parenthesis: state, ppid, ... utime (14), stime, cutime, cstime.
    const auto fields = [](const QString& pid) {
        QFile stat(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            return QList<QByteArray>();
        const QByteArray text = stat.readAll();
        return text.mid(text.lastIndexOf(')') + 2).split(' ');
    };
    qint64 ticks = 0;
    const QList<QByteArray> own = fields(QString::number(postmaster));
    if (own.size() < 15)
        return std::nullopt;
    for (int i = 11; i <= 14; ++i)
        ticks += own[i].toLongLong();
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QList<QByteArray> f = fields(pid);
        if (f.size() > 14 && f[1].toLongLong() == postmaster)
            ticks += f[11].toLongLong() + f[12].toLongLong();
    }
    return double(ticks) / double(sysconf(_SC_CLK_TCK));
}

// What the workstations' sessions on the server are doing, summed over samples.
struct Sessions {
    int samples = 0;
    int running = 0;   // active and waiting for nothing: on a CPU, or queued for one
    int lockWaits = 0; // waiting for another session's lock
    int otherWaits = 0;

    // Sessions of others on this database.
    static int others(ReferenceHost& host) {
        QSqlQuery q(host.GetConnection());
        if (!q.exec(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE pid <> pg_backend_pid() "
                                   "AND datname = current_database()")) ||
            !q.next())
            return -1;
        return q.value(0).toInt();
    }

    void sample(ReferenceHost& host) {
        QSqlQuery q(host.GetConnection());
        if (!q.exec(QStringLiteral("SELECT state, coalesce(wait_event_type, '') FROM pg_stat_activity "
                                   "WHERE backend_type = 'client backend' AND pid <> pg_backend_pid() "
                                   "AND datname = current_database()")))
            return;
        ++samples;
        while (q.next()) {
            const QString state = q.value(0).toString(), wait = q.value(1).toString();
            if (state != QLatin1String("active"))
                continue;
            if (wait.isEmpty())
                ++running;
            else if (wait == QLatin1String("Lock"))
                ++lockWaits;
            else
                ++otherWaits;
        }
    }
};

struct Latencies {
    std::vector<double> ms;
    quint64 requests = 0;
    double cpuMs = 0;

    double percentile(double p) {
        if (ms.empty())
            return 0;
        const auto at = ms.begin() + std::ptrdiff_t(p * double(ms.size() - 1));
        std::nth_element(ms.begin(), at, ms.end());
        return *at;
    }
    double requestsPerOp() const { return ms.empty() ? 0 : double(requests) / double(ms.size()); }
    double cpuMsPerOp() const { return ms.empty() ? 0 : cpuMs / double(ms.size()); }
};

} // namespace

double secondsFromEnvironment(const char* variable, double otherwise) {
    bool ok = false;
    const double seconds = qEnvironmentVariable(variable).toDouble(&ok);
    return ok && seconds > 0 ? seconds : otherwise;
}

void runWorkstations(benchmark::State& state, const RunShape& shape) {
    Office* theOffice = nullptr;
    try {
        theOffice = office();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    if (!theOffice) {
        state.SkipWithError("no PostgreSQL server: set VIVAVAZURUV_TEST_PG_URL (scripts/pg-server)");
        return;
    }
    const int n = shape.workstations;
    const double seconds = shape.seconds;
    const QString worker = QCoreApplication::applicationDirPath() + QStringLiteral("/workstation_worker");
    QTemporaryDir reports;
    std::array<Latencies, 3> byKind; // look-ups, opens, saves
    double workerCpu = 0;
    std::optional<double> serverCpu;
    int conflicts = 0, errors = 0;
    Sessions sessions;

    for (auto _ : state) {
        std::vector<std::unique_ptr<QProcess>> stations;
        const auto stopAll = [&] {
            for (auto& p : stations) {
                p->kill();
                p->waitForFinished(5000);
            }
        };
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // Qt wants a private runtime folder; without one each workstation says so.
        if (!environment.contains(QStringLiteral("XDG_RUNTIME_DIR")))
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), reports.path());
        // In the environment, not on the command line, where every local user reads the password.
        environment.insert(QStringLiteral("VIVAVAZURUV_DATABASE"), theOffice->url);
        for (int w = 0; w < n; ++w) {
            auto& p = stations.emplace_back(std::make_unique<QProcess>());
            p->setProcessEnvironment(environment);
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(worker, {QString::number(w), QString::number(seconds),
                              reports.filePath(QString::number(w)), QString::number(shape.thinkSeconds)});
        }
        // Every workstation has its connection and its first window before the clock starts.
        for (auto& p : stations) {
            QElapsedTimer waited;
            waited.start();
            while (!p->canReadLine() || !p->readLine().startsWith("@ready")) {
                if (waited.elapsed() > 180000 ||
                    (!p->canReadLine() && !p->waitForReadyRead(1000) && p->state() == QProcess::NotRunning)) {
                    stopAll();
                    state.SkipWithError("a workstation did not start (see its message above)");
                    return;
                }
            }
        }
        const std::optional<double> serverBefore = serverCpuSeconds();
        for (auto& p : stations)
            p->write("go\n");
        // Written out now: without an event loop here QProcess would hold the line back.
        for (auto& p : stations)
            p->waitForBytesWritten(5000);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < qint64(seconds * 1000) - 100) {
            QThread::msleep(100);
            sessions.sample(*theOffice->host);
        }
        for (auto& p : stations) {
            if (!p->waitForFinished(120000) || p->exitCode() != 0) {
                stopAll();
                state.SkipWithError("a workstation failed (see its message above)");
                return;
            }
        }
        // The workstations' sessions end after them; an ended session's CPU
        // time counts once the postmaster has reaped it.
        QElapsedTimer ending;
        ending.start();
        while (Sessions::others(*theOffice->host) > 0 && ending.elapsed() < 5000)
            QThread::msleep(20);
        QThread::msleep(100);
        const std::optional<double> serverAfter = serverCpuSeconds();
        if (serverBefore && serverAfter)
            serverCpu = *serverAfter - *serverBefore;
        state.SetIterationTime(seconds);
    }

    for (int w = 0; w < n; ++w) {
        QFile file(reports.filePath(QString::number(w)));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            state.SkipWithError("a workstation left no report");
            return;
        }
        while (!file.atEnd()) {
            const QList<QByteArray> f = file.readLine().trimmed().split(' ');
            if (f.size() != 4)
                continue;
            const char kind = f[0].at(0);
            if (kind == kEnd) {
                workerCpu += f[1].toDouble() / 1e6;
                conflicts += f[2].toInt();
                errors += f[3].toInt();
                continue;
            }
            Latencies& l = byKind[kind == kLookup ? 0 : kind == kOpen ? 1 : 2];
            l.ms.push_back(f[1].toDouble() / 1000.0);
            l.requests += f[2].toULongLong();
            l.cpuMs += f[3].toDouble() / 1000.0;
        }
    }
    const double ops = double(byKind[0].ms.size() + byKind[1].ms.size() + byKind[2].ms.size());
    state.counters["seconds"] = seconds;
    state.counters["ops_per_s"] = ops / seconds;
    state.counters["lookup_p50_ms"] = byKind[0].percentile(0.50);
    state.counters["lookup_p99_ms"] = byKind[0].percentile(0.99);
    state.counters["open_p99_ms"] = byKind[1].percentile(0.99);
    state.counters["save_p99_ms"] = byKind[2].percentile(0.99);
    state.counters["errors"] = errors;
    state.counters["conflicts"] = conflicts;
    // Where the time goes: CPU per operation in the workstations and in the
    // server, requests (round trips) per look-up, and the average number of
    // sessions running in the server or waiting for a lock.
    state.counters["client_cpu_ms_op"] = ops > 0 ? workerCpu * 1000 / ops : 0;
    if (serverCpu)
        state.counters["server_cpu_ms_op"] = ops > 0 ? *serverCpu * 1000 / ops : 0;
    state.counters["lookup_cpu_ms"] = byKind[0].cpuMsPerOp();
    state.counters["lookup_trips"] = byKind[0].requestsPerOp();
    state.counters["open_trips"] = byKind[1].requestsPerOp();
    state.counters["save_trips"] = byKind[2].requestsPerOp();
    if (sessions.samples > 0) {
        state.counters["srv_running"] = double(sessions.running) / sessions.samples;
        state.counters["srv_lock_waits"] = double(sessions.lockWaits) / sessions.samples;
        state.counters["srv_other_waits"] = double(sessions.otherWaits) / sessions.samples;
    }
}

} // namespace workstations
