// Composing a long code-list result into one chart note: procedures on level
// 0, each with a tooth and a surface on level 1, the surface's material on
// level 2 and the material's shade on level 3, through the reference host on
// SQLite with the demo office's join words and variables.
#include "BenchMain.h"

#include <compose/CodeStringComposer.h>
#include <support/ScriptedDialogs.h>
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/SeedData.h>

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

using namespace viVavazuruv;

namespace {

struct ComposeInput {
    QString lists, levels, descriptions, codes, letters;
    qint16 count = 0;
};

// Records in groups of five, as a person choosing procedure after procedure leaves them.
ComposeInput inputOf(int records) {
    ComposeInput in;
    const QString group[][3] = {
        {QStringLiteral("|PROCS"), QStringLiteral("0"), QStringLiteral("Filling %1 on |TEETH: |SURFACES")},
        {QStringLiteral("|TEETH"), QStringLiteral("1"), QStringLiteral("#%1")},
        {QStringLiteral("|SURFACES"), QStringLiteral("1"), QStringLiteral("mesial |MATERIALS")},
        {QStringLiteral("|MATERIALS"), QStringLiteral("2"), QStringLiteral("composite resin, shade |SHADES")},
        {QStringLiteral("|SHADES"), QStringLiteral("3"), QStringLiteral("A%1")},
    };
    for (int r = 0; r < records; ++r) {
        const auto& [list, level, description] = group[r % 5];
        in.lists += list + QLatin1Char('\n');
        in.levels += level + QLatin1Char('\n');
        in.descriptions +=
            QString(description).replace(QStringLiteral("%1"), QString::number(r / 5 % 32 + 1)) +
            QLatin1Char('\n');
        in.codes += (r % 5 == 0 ? QStringLiteral("D2391") : QString()) + QLatin1Char('\n');
        in.letters += QLatin1Char('\n');
    }
    in.count = qint16(records);
    return in;
}

void BM_Compose(benchmark::State& bench) {
    QTemporaryDir dir;
    auto host =
        ReferenceHost::Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("compose.db")),
                            std::make_shared<test::ScriptedDialogs>(), dir.filePath(QStringLiteral("data")));
    refhost::seedDemoData(*host);
    const ComposeInput in = inputOf(int(bench.range(0)));
    VbArray<QString> parts;
    QString note;
    for (auto _ : bench) {
        Compose_Code_String(*host, parts, note, in.lists, in.levels, in.descriptions, in.codes, in.letters,
                            {}, in.count);
        benchmark::DoNotOptimize(note.data());
    }
    // Every variable filled: nothing of a list's reference is left.
    if (note.contains(QLatin1Char('|')))
        bench.SkipWithError("a variable was left unfilled");
    bench.counters["records_per_second"] =
        benchmark::Counter(double(bench.range(0)) * double(bench.iterations()), benchmark::Counter::kIsRate);
    bench.counters["note_chars"] = double(note.size());
    host.reset();
}

BENCHMARK(BM_Compose)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
