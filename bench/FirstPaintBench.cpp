// From an entry point's call to the first painted picker window, on a real X
// server, beside a bare Qt floor: a QDialog with a QTableView over the same
// 15 rows read with QSqlQuery, shown modally. Both count as painted when the
// table's rows have been painted for the first time; the window is closed
// right after, so the call returns.
#include "BenchMain.h"

#include <core/RequestState.h>
#include <support/ScriptedDialogs.h>
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/wkDatabases.h>
#include <window/wkDatabases_Form.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPointer>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <time.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

using namespace viVavazuruv;

namespace {

constexpr int kRows = 15;
const QString kList = QStringLiteral("CRECARD");
// A window that never paints must not hang the run.
constexpr int kGiveUpMs = 10000;

// Set once any window of this program has been shown: later calls are not cold.
bool g_windowShown = false;

// The picker's size at its first paint, so the floor paints as many pixels.
QSize g_pickerSize(300, 380);

// CPU time of the calling thread: the program's own work, whatever else the
// machine runs meanwhile (the X server included).
qint64 threadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// What one call took until the first paint.
struct Painted {
    qint64 wallNs = 0;
    qint64 cpuNs = 0;
};

QString skipReason() {
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return {};
    return QStringLiteral("needs an X server: run with QT_QPA_PLATFORM=xcb and DISPLAY set, e.g. "
                          "tests/support/with-window-manager build/dev/bin/bench_first_paint");
}

// The 15-row list and the component over it, made once.
struct Office {
    QTemporaryDir dir;
    std::shared_ptr<test::ScriptedDialogs> dialogs = std::make_shared<test::ScriptedDialogs>();
    std::shared_ptr<ReferenceHost> host;
    wkDatabases component;

    Office() {
        host =
            ReferenceHost::Open(benchDatabaseUrl(dir.path()), dialogs, dir.filePath(QStringLiteral("data")));
        QSqlDatabase db = host->GetConnection();
        QSqlQuery(db).exec(QStringLiteral("DELETE FROM UsrDefTable"));
        db.transaction();
        for (int i = 0; i < kRows; ++i) {
            qint32 key = 0;
            host->SaveRecord(
                1, QStringLiteral("UsrDefTable"), QStringLiteral("UsrDefInd"), key,
                {QStringLiteral("UsrDefCod"), QStringLiteral("usrdefSeqCod"), QStringLiteral("usrdefDes")},
                {kList, QStringLiteral("C%1").arg(i, 2, 10, QLatin1Char('0')),
                 QStringLiteral("Card kind number %1").arg(i)},
                true);
        }
        db.commit();
        component.put_GIC(host);
        wkDatabases::SetDialogs(dialogs);
    }
    ~Office() {
        wkDatabases::SetDialogs(nullptr);
        component.put_GIC(nullptr);
    }
};

Office& office() {
    static Office* made = nullptr;
    if (!made) {
        made = new Office;
        atBenchExit([] {
            delete made;
            made = nullptr;
        });
    }
    return *made;
}

// Watches the whole application for the first paint of a table view's rows
// in a visible window. The paint is delivered inside the filter so that the
// time taken includes the rows' own painting; then close() runs from the
// event loop the window itself runs.
class FirstPaint final : public QObject {
public:
    explicit FirstPaint(std::function<void(QWidget* window)> close) : m_close(std::move(close)) {
        qApp->installEventFilter(this);
        m_clock.start();
        m_cpuStart = threadCpuNs();
        QTimer::singleShot(kGiveUpMs, this, [this] {
            if (m_elapsedNs)
                return;
            m_gaveUp = true;
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->isVisible())
                    m_close(window);
            }
        });
    }
    ~FirstPaint() override { qApp->removeEventFilter(this); }

    // From construction to the first painted rows; nothing when none came.
    std::optional<Painted> painted() const {
        if (m_gaveUp || !m_elapsedNs)
            return std::nullopt;
        return Painted{*m_elapsedNs, m_cpuNs};
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || m_elapsedNs || m_delivering || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        auto* view = qobject_cast<QTableView*>(widget->parentWidget());
        if (!view || view->viewport() != widget)
            return false;
        m_delivering = true;
        QCoreApplication::sendEvent(widget, event);
        m_delivering = false;
        m_elapsedNs = m_clock.nsecsElapsed();
        m_cpuNs = threadCpuNs() - m_cpuStart;
        g_windowShown = true;
        QPointer<QWidget> window = widget->window();
        QTimer::singleShot(0, this, [this, window] {
            if (window)
                m_close(window);
        });
        return true;
    }

private:
    std::function<void(QWidget*)> m_close;
    QElapsedTimer m_clock;
    std::optional<qint64> m_elapsedNs;
    qint64 m_cpuStart = 0;
    qint64 m_cpuNs = 0;
    bool m_delivering = false;
    bool m_gaveUp = false;
};

// One credit card call with nothing to look up: the picker opens.
std::optional<Painted> componentCall() {
    Office& o = office();
    QString tmp;
    float top = 1000, left = 1000;
    FirstPaint watch([](QWidget* window) {
        if (auto* form = qobject_cast<wkDatabases_Form*>(window)) {
            g_pickerSize = form->size();
            form->Unload(1);
        }
    });
    o.component.UDDBS_Credit_Card(tmp, top, left);
    return watch.painted();
}

// The same rows in the plainest Qt window that shows them.
std::optional<Painted> floorCall() {
    Office& o = office();
    FirstPaint watch([](QWidget* window) {
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
    });
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Credit Card Database"));
    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("Gp"), QStringLiteral("Credit Card")});
    QSqlQuery query(o.host->GetConnection());
    query.exec(QStringLiteral("SELECT usrdefSeqCod, usrdefDes FROM UsrDefTable WHERE UsrDefCod = 'CRECARD' "
                              "ORDER BY usrdefSeqCod, usrdefDes"));
    while (query.next())
        model.appendRow(
            {new QStandardItem(query.value(0).toString()), new QStandardItem(query.value(1).toString())});
    auto* layout = new QVBoxLayout(&dialog);
    auto* view = new QTableView(&dialog);
    view->setModel(&model);
    view->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(view);
    dialog.resize(g_pickerSize);
    dialog.move(67, 67); // 1000 twips, where the picker goes
    dialog.exec();
    return watch.painted();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The first call of the process pays for what Qt and the component set up once.
void coldCall(benchmark::State& state, std::optional<Painted> (*call)()) {
    if (const QString reason = skipReason(); !reason.isEmpty()) {
        state.SkipWithError(reason.toStdString().c_str());
        return;
    }
    office();
    if (g_windowShown) {
        state.SkipWithError("not the first window of this process: run it alone, "
                            "--benchmark_filter=<its name>");
        return;
    }
    for (auto _ : state) {
        const auto painted = call();
        if (!painted) {
            state.SkipWithError("the window never painted");
            return;
        }
        state.SetIterationTime(double(painted->wallNs) / 1e9);
        state.counters["cpu_ms"] = double(painted->cpuNs) / 1e6;
    }
}

void BM_FirstPaint_ComponentCold(benchmark::State& state) {
    coldCall(state, componentCall);
}
void BM_FirstPaint_FloorCold(benchmark::State& state) {
    coldCall(state, floorCall);
}

// Warm: both contenders in turn, after a first call of each. The time is the
// component's; the counters give both medians and their ratio.
void BM_FirstPaint_Warm(benchmark::State& state) {
    if (const QString reason = skipReason(); !reason.isEmpty()) {
        state.SkipWithError(reason.toStdString().c_str());
        return;
    }
    if (!componentCall() || !floorCall()) {
        state.SkipWithError("the window never painted");
        return;
    }
    std::vector<double> component, floor, componentCpu, floorCpu;
    for (auto _ : state) {
        const auto mine = componentCall();
        const auto bare = floorCall();
        if (!mine || !bare) {
            state.SkipWithError("the window never painted");
            return;
        }
        component.push_back(double(mine->wallNs) / 1e6);
        floor.push_back(double(bare->wallNs) / 1e6);
        componentCpu.push_back(double(mine->cpuNs) / 1e6);
        floorCpu.push_back(double(bare->cpuNs) / 1e6);
        state.SetIterationTime(double(mine->wallNs) / 1e9);
    }
    state.counters["component_ms"] = median(component);
    state.counters["floor_ms"] = median(floor);
    state.counters["ratio"] = median(component) / median(floor);
    // The main thread's CPU time alone, steadier on a busy machine.
    state.counters["component_cpu_ms"] = median(componentCpu);
    state.counters["floor_cpu_ms"] = median(floorCpu);
    state.counters["rows"] = kRows;
}

// The cold ones first: only the first window of a process is cold.
BENCHMARK(BM_FirstPaint_ComponentCold)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPaint_FloorCold)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPaint_Warm)
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
