// One type-to-find keystroke in a long list that finds nothing: every visible
// cell is compared, and none of the comparisons may allocate.
#include "BenchList.h"

#include <core/RequestState.h>
#include <grid/GridControl.h>
#include <window/wkDatabases_Form.h>

#include <benchmark/benchmark.h>

#include <QTableView>
#include <QTest>

#include <atomic>
#include <cstdlib>
#include <new>

using namespace viVavazuruv;

namespace {
std::atomic<long long> g_allocations{0};
} // namespace

// Every allocation of the program is counted, so a keystroke's own can be read off.
void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// "Can't find" is answered at once, as a person pressing Enter would.
class AnsweringDialogs final : public IDialogs {
public:
    qint32 MessageBox(const QString& text, qint32, const QString&) override {
        lastMessage = text;
        return MsgBox::AnswerOk;
    }
    QString InputBox(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> OpenFile(const QString&, const QString&, qint32) override { return {}; }
    void Beep() override {}
    QString lastMessage;
};

void BM_TypeToFind(benchmark::State& bench) {
    const auto rows = qint32(bench.range(0));
    BenchDatabase& data = BenchDatabase::forRows(rows);
    RequestState& state = RequestState::instance();
    auto dialogs = std::make_shared<AnsweringDialogs>();
    wkDatabases_Form form(state, benchRequest(state, data.host(), kBenchListCode), dialogs);
    form.Load();
    grid::GridControl& grid = *form.level(0).uddbs_SS;
    if (grid.MaxRows() != rows) {
        bench.SkipWithError("the list did not load completely");
        return;
    }
    long long allocations = 0;
    for (auto _ : bench) {
        const long long before = g_allocations.load();
        QTest::keyClick(grid.view(), Qt::Key_Q);
        allocations += g_allocations.load() - before;
    }
    if (dialogs->lastMessage != QStringLiteral(" Can't find [ Q ]"))
        bench.SkipWithError("the keystroke found something");
    // Two visible columns per row are compared; one allocation for each would
    // show as at least that many per keystroke.
    const double perKeystroke = double(allocations) / double(bench.iterations());
    bench.counters["allocations_per_keystroke"] = perKeystroke;
    if (perKeystroke >= 2.0 * rows)
        bench.SkipWithError("comparing cells allocates");
}

BENCHMARK(BM_TypeToFind)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
