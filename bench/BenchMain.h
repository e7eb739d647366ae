#pragma once

#include <functional>

// Runs cleanup after the benchmarks and before the application object goes,
// for what must not outlive it (database connections, windows).
void atBenchExit(std::function<void()> cleanup);
