// An office as it really works: N workstations, each pausing two seconds on
// average between requests, through a connection pooler in transaction mode
// in front of one PostgreSQL server (scripts/bench starts PgBouncer with a
// pool of ten server connections). Each point runs VV_OFFICE_SECONDS
// (default 60). Goals on the project's two-core machine, at 200
// workstations: no errors, a look-up's p99 under 25 ms, a save's under 250 ms.
#include "WorkstationsRun.h"

#include <QtGlobal>

#include <benchmark/benchmark.h>

namespace {

void BM_Office(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("VIVAVAZURUV_TEST_PG_POOLED"))
        return state.SkipWithError("needs a pooler in front of the server: eval \"$(POOL_SIZE=10 "
                                   "scripts/pg-pooler start transaction)\" after scripts/pg-server start");
    workstations::runWorkstations(
        state, {int(state.range(0)), workstations::secondsFromEnvironment("VV_OFFICE_SECONDS", 60), 2.0});
}

BENCHMARK(BM_Office)->Arg(25)->Arg(50)->Arg(100)->Arg(200)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kSecond);

} // namespace
