// main() of every benchmark program: an application object first (Qt's SQL
// drivers and widgets need one), offscreen unless a platform is chosen.
#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <vector>

namespace {
std::vector<std::function<void()>>& cleanups() {
    static std::vector<std::function<void()>> registered;
    return registered;
}
} // namespace

void atBenchExit(std::function<void()> cleanup) {
    cleanups().push_back(std::move(cleanup));
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (auto& cleanup : cleanups())
        cleanup();
    return 0;
}
