#pragma once

// Runs an office's workstations (workstation_worker processes) against the
// PostgreSQL server VIVAVAZURUV_TEST_PG_URL names and reports what they and
// the server did as the benchmark's counters.

#include "Workstations.h"

namespace benchmark {
class State;
}

namespace workstations {

struct RunShape {
    int workstations = 1;
    double seconds = 10;
    // Each workstation's mean pause between operations, drawn anew each
    // time (exponentially, as people's requests come); 0 works without a pause.
    double thinkSeconds = 0;
};

// The seconds the variable names, or otherwise when it names none.
double secondsFromEnvironment(const char* variable, double otherwise);

// Skips the benchmark, saying why, when there is no server or a workstation fails.
void runWorkstations(benchmark::State& state, const RunShape& shape);

} // namespace workstations
