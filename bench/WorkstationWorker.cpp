// One workstation of bench_workstations: a process of its own with its own
// host and connection. Once told "go" it works for the given seconds through
// an office's mix in a seeded random order: look-ups the list answers at once
// (70 %), pickers opened and closed (25 %) and saves of five edited rows with
// the conflict check on (5 %), then writes every operation's time to a file.
// With THINK it pauses between operations for THINK seconds on average, as a
// person at the desk does; beyond kMaxWorkstations workstations share their rows.
//   VIVAVAZURUV_DATABASE=URL workstation_worker WORKSTATION SECONDS OUTPUT [THINK]
#include "Workstations.h"

#include <core/RequestState.h>
#include <grid/IGridControl.h>
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/wkDatabases.h>
#include <window/PickerLevel.h>
#include <window/wkDatabases_Form.h>

#include <QApplication>
#include <QFile>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <libpq-fe.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace viVavazuruv;
using namespace workstations;
using Clock = std::chrono::steady_clock;

namespace {

// Answers as a person at this workstation would: saves when asked, and keeps
// the other workstation's version when told that one changed a row meanwhile.
class WorkstationDialogs final : public IDialogs {
public:
    qint32 MessageBox(const QString& text, qint32, const QString&) override {
        if (text.contains(QStringLiteral("another workstation"))) {
            ++conflicts;
            return MsgBox::AnswerNo;
        }
        return MsgBox::AnswerYes;
    }
    QString InputBox(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> OpenFile(const QString&, const QString&, qint32) override { return {}; }
    void Beep() override {}
    int conflicts = 0;
};

// Presses Cancel on a picker once it is up, from inside its modal loop.
class PickerCloser final : public QObject {
public:
    PickerCloser() {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                auto* form = qobject_cast<wkDatabases_Form*>(window);
                if (form && form->isVisible()) {
                    ++closed;
                    QTest::mouseClick(form->level(0).cmd_Cancel, Qt::LeftButton);
                }
            }
        });
    }
    void arm() { m_timer.start(); }
    void disarm() { m_timer.stop(); }
    int closed = 0;

private:
    QTimer m_timer;
};

// Requests sent to the server on the connection so far: each statement,
// prepare or commit goes out as one segment and waits for its answer.
quint32 requestsSent(ReferenceHost& host) {
    const QVariant handle = host.GetConnection().driver()->handle();
    const int socket = handle.isValid() ? PQsocket(*static_cast<PGconn* const*>(handle.constData())) : -1;
    tcp_info info{};
    socklen_t size = sizeof info;
    if (socket < 0 || getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return 0;
    return info.tcpi_data_segs_out;
}

// CPU time of the whole process, its connection's watch thread included.
qint64 cpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// What one operation took: wall time, requests to the server, CPU time here.
struct Timed {
    qint64 micros = 0;
    quint32 requests = 0;
    qint64 cpuMicros = 0;
};

// Starts measuring when made; taken() gives what passed since.
class Meter {
public:
    explicit Meter(ReferenceHost& host)
        : m_host(host), m_requests(requestsSent(host)), m_cpu(cpuMicros()), m_start(Clock::now()) {}
    Timed taken() const {
        const qint64 micros =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - m_start).count();
        return {micros, requestsSent(m_host) - m_requests, cpuMicros() - m_cpu};
    }

private:
    ReferenceHost& m_host;
    quint32 m_requests;
    qint64 m_cpu;
    Clock::time_point m_start;
};

class Workstation {
public:
    Workstation(const QString& url, int number)
        : m_number(number), m_random(std::mt19937::result_type(1000 + number)) {
        m_host = ReferenceHost::Open(url, m_dialogs, m_data.path());
        m_component.put_GIC(m_host);
        wkDatabases::SetDialogs(m_dialogs);
    }
    ~Workstation() {
        wkDatabases::SetDialogs(nullptr);
        m_component.put_GIC(nullptr);
    }

    // One operation of the mix; false when it went wrong.
    bool work(char kind) {
        if (kind == kLookup)
            return lookUp();
        if (kind == kOpen)
            return open();
        return save();
    }
    char nextKind() {
        const auto draw = m_random() % 100;
        return draw < 70 ? kLookup : draw < 95 ? kOpen : kSave;
    }

    ReferenceHost& host() { return *m_host; }
    int conflicts() const { return m_dialogs->conflicts; }
    // The last save's Done press.
    Timed timedSave() const { return m_timedSave; }

private:
    int draw(int count) { return int(m_random() % std::mt19937::result_type(count)); }

    // A caller's group code, in the case a person types it, answered from
    // the list without a window.
    bool lookUp() {
        const OfficeList& list = kLookupLists[std::size_t(draw(int(kLookupLists.size())))];
        const QString code = QString::fromLatin1(list.code);
        const int row = draw(list.rows);
        QString tmp = groupOf(row).toLower();
        QString answer;
        m_closer.arm();
        if (code == QLatin1String("CRECARD")) {
            answer = m_component.UDDBS_Credit_Card(tmp, m_top, m_left);
        } else if (code == QLatin1String("ALERT")) {
            answer = m_component.UDDBS_Med_Alert(tmp, m_top, m_left);
        } else {
            // Any list, through the packed request.
            tmp = code + QStringLiteral("\nEntry\nEntries\nEntry\n") + tmp;
            qint16 flag = -1;
            QString key;
            answer = m_component.UDDBS_Sex_Title(tmp, m_top, m_left, flag, key);
        }
        m_closer.disarm();
        return answer == descriptionOf(code, row);
    }

    // A picker shown over a list and closed again with Cancel.
    bool open() {
        QString code = QString::fromLatin1(kEditList);
        const int which = draw(int(kLookupLists.size()) + 1);
        if (which < int(kLookupLists.size()))
            code = QString::fromLatin1(kLookupLists[std::size_t(which)].code);
        bool multi = false, letter = false;
        QString caption = QStringLiteral("Entries");
        const int before = m_closer.closed;
        m_closer.arm();
        const QString answer = m_component.UDDBS_Selection(multi, m_top, m_left, code, caption, letter);
        m_closer.disarm();
        return answer.isEmpty() && m_closer.closed > before;
    }

    // This workstation's own rows and one of the shared ones edited in the
    // window and saved with Done; only the save is timed.
    bool save() {
        const QString code = QString::fromLatin1(kEditList);
        wkDatabases_Form form(
            RequestState::instance(),
            PickerRequest::ForList(code, {false, QStringLiteral("Note"), QStringLiteral("Notes"),
                                          QStringLiteral("Note"), QString(), QString()}),
            m_dialogs);
        form.Load();
        form.show();
        PickerLevel& level = form.level(0);
        QTest::mouseClick(level.cmd_Edit, Qt::LeftButton);
        IGridControl& grid = level.grid();
        std::vector<qint32> own, shared;
        for (qint32 r = 1; r <= grid.MaxRows(); ++r) {
            const QString group = grid.GetText(1, r).trimmed();
            if (group == ownGroup(m_number % kMaxWorkstations))
                own.push_back(r);
            else if (group == kSharedGroup)
                shared.push_back(r);
        }
        if (own.size() != std::size_t(kOwnRows) || shared.empty())
            return false;
        own.push_back(shared[std::size_t(draw(int(shared.size())))]);
        ++m_saves;
        for (const qint32 r : own) {
            grid.SetText(2, r, QStringLiteral("Note %1 of workstation %2").arg(m_saves).arg(m_number));
            grid.SetText(level.StatusColumn, r, RowStatus::Edited);
        }
        level.ListChanged = true;
        const Meter meter(*m_host);
        QTest::mouseClick(level.cmd_Edit, Qt::LeftButton);
        m_timedSave = meter.taken();
        // What failed in the window's handler ends the request; here it is the operation's error.
        if (std::optional<AutomationError> error = form.takePendingError())
            throw *error;
        const bool saved =
            !level.editing() && grid.GetText(level.StatusColumn, own.front()) == RowStatus::Stored;
        form.Unload();
        return saved;
    }

    int m_number;
    std::mt19937 m_random;
    QTemporaryDir m_data;
    std::shared_ptr<WorkstationDialogs> m_dialogs = std::make_shared<WorkstationDialogs>();
    std::shared_ptr<ReferenceHost> m_host;
    wkDatabases m_component;
    PickerCloser m_closer;
    float m_top = 1000, m_left = 1000;
    int m_saves = 0;
    Timed m_timedSave;
};

} // namespace

int main(int argc, char** argv) {
    // A workstation is a computer of its own: in a session of its own the
    // scheduler gives it its own share of a busy machine, as it does each
    // person's session, instead of one share for all the workstations.
    setsid();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    // The address comes in the environment: on the command line every local user could read its password.
    const QString url = qEnvironmentVariable("VIVAVAZURUV_DATABASE");
    if ((args.size() != 4 && args.size() != 5) || url.isEmpty()) {
        std::cerr
            << "usage: VIVAVAZURUV_DATABASE=URL workstation_worker WORKSTATION SECONDS OUTPUT [THINK]\n";
        return 2;
    }
    const int number = args[1].toInt();
    const auto seconds = std::chrono::duration<double>(args[2].toDouble());
    const double think = args.size() == 5 ? args[4].toDouble() : 0.0;
    std::mt19937 thinking(std::mt19937::result_type(7000 + number));
    std::exponential_distribution<double> pause(think > 0 ? 1.0 / think : 1.0);
    QFile output(args[3]);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Text)) {
        std::cerr << "workstation " << number << ": cannot write " << args[3].toStdString() << '\n';
        return 2;
    }
    QTextStream report(&output);
    int errors = 0;
    try {
        Workstation station(url, number);
        // The first window of a process loads fonts and styles: not part of the run.
        for (const char kind : {kLookup, kOpen})
            station.work(kind);
        std::cout << "@ready" << std::endl;
        std::string line;
        if (!std::getline(std::cin, line) || line != "go")
            return 1;
        const qint64 cpuStart = cpuMicros();
        const auto start = Clock::now();
        const auto thinkAWhile = [&] {
            const auto left = seconds - (Clock::now() - start);
            std::this_thread::sleep_for(std::min<std::chrono::duration<double>>(
                std::chrono::duration<double>(pause(thinking)), left));
        };
        // People at their desks are already thinking when the run begins: a
        // first pause like the others (the time to anyone's next request is
        // the same whenever one looks), not every workstation at once on "go".
        if (think > 0)
            thinkAWhile();
        while (Clock::now() - start < seconds) {
            const char kind = station.nextKind();
            const Meter meter(station.host());
            bool done = false;
            try {
                done = station.work(kind);
            } catch (const std::exception& e) {
                if (errors < 3)
                    std::cerr << "workstation " << number << ": " << e.what() << '\n';
            }
            const Timed timed = kind == kSave ? station.timedSave() : meter.taken();
            errors += !done;
            report << kind << ' ' << timed.micros << ' ' << timed.requests << ' ' << timed.cpuMicros << '\n';
            if (think > 0)
                thinkAWhile();
        }
        report << kEnd << ' ' << (cpuMicros() - cpuStart) << ' ' << station.conflicts() << ' ' << errors
               << '\n';
    } catch (const std::exception& e) {
        std::cerr << "workstation " << number << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}
