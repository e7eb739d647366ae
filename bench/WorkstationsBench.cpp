// Many workstations on one PostgreSQL server, each working without a pause
// for VV_WORKSTATIONS_SECONDS (default 10): how far the server and this
// machine carry the office's mix, and where the time goes.
#include "WorkstationsRun.h"

#include <benchmark/benchmark.h>

namespace {

void BM_Workstations(benchmark::State& state) {
    workstations::runWorkstations(
        state, {int(state.range(0)), workstations::secondsFromEnvironment("VV_WORKSTATIONS_SECONDS", 10), 0});
}

BENCHMARK(BM_Workstations)
    ->RangeMultiplier(2)
    ->Range(1, workstations::kMaxWorkstations)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace
