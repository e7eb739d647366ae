// Composing a long code-list result into one chart note: procedures on level
// 0, each with a tooth and a surface on level 1, the surface's material on
// level 2 and the material's shade on level 3, through the reference host on
// SQLite with the demo office's join words and variables. BM_Compose_AnswersKept
// composes the same through a host that keeps the reference host's answers
// once asked: the composition asks the same questions, but the difference
// between the two is what answering them from the database costs.
#include "BenchMain.h"

#include <compose/CodeStringComposer.h>
#include <support/RefusingHost.h>
#include <support/ScriptedDialogs.h>
#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/SeedData.h>

#include <benchmark/benchmark.h>

#include <QHash>
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

// The reference host's text services; its answers asked once per question and kept.
class AnswersKeptHost final : public test::RefusingHost {
public:
    explicit AnswersKeptHost(IHostServices& host) : m_host(host) {}

    QString GetField(const QString& Text, const QString& Separator, qint16 Index, qint16 Reserved) override {
        return m_host.GetField(Text, Separator, Index, Reserved);
    }
    void SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                   qint16& Count) override {
        m_host.SplitText(Text, Separator, Pieces, Count);
    }
    void ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                         qint32 Start, qint16 Reserved) override {
        m_host.ReplaceVariable(Text, Find, Replacement, Count, Start, Reserved);
    }
    void PipeVariableList(const QString& VariableText, QString& ListCode) override {
        auto kept = m_lists.constFind(VariableText);
        if (kept == m_lists.constEnd()) {
            QString list;
            m_host.PipeVariableList(VariableText, list);
            kept = m_lists.insert(VariableText, list);
        }
        ListCode = *kept;
    }
    void ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast, QString& AfterLast,
                       QString& CodeJoin) override {
        auto kept = m_words.constFind(ListCode);
        if (kept == m_words.constEnd()) {
            QStringList words(4);
            m_host.ListJoinWords(ListCode, words[0], words[1], words[2], words[3]);
            kept = m_words.insert(ListCode, words);
        }
        Between = kept->at(0);
        BeforeLast = kept->at(1);
        AfterLast = kept->at(2);
        CodeJoin = kept->at(3);
    }
    bool InsertEachItem(const QString& ListCode) override {
        auto kept = m_eachItem.constFind(ListCode);
        if (kept == m_eachItem.constEnd())
            kept = m_eachItem.insert(ListCode, m_host.InsertEachItem(ListCode));
        return *kept;
    }

private:
    IHostServices& m_host;
    QHash<QString, QString> m_lists;
    QHash<QString, QStringList> m_words;
    QHash<QString, bool> m_eachItem;
};

void composeBench(benchmark::State& bench, bool keepAnswers) {
    QTemporaryDir dir;
    auto host =
        ReferenceHost::Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("compose.db")),
                            std::make_shared<test::ScriptedDialogs>(), dir.filePath(QStringLiteral("data")));
    refhost::seedDemoData(*host);
    AnswersKeptHost kept(*host);
    IHostServices& asked = keepAnswers ? static_cast<IHostServices&>(kept) : *host;
    const ComposeInput in = inputOf(int(bench.range(0)));
    VbArray<QString> parts;
    QString note;
    // One composition first, so that every answer is kept before timing.
    if (keepAnswers)
        Compose_Code_String(asked, parts, note, in.lists, in.levels, in.descriptions, in.codes, in.letters,
                            {}, in.count);
    for (auto _ : bench) {
        Compose_Code_String(asked, parts, note, in.lists, in.levels, in.descriptions, in.codes, in.letters,
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

void BM_Compose(benchmark::State& bench) {
    composeBench(bench, false);
}

void BM_Compose_AnswersKept(benchmark::State& bench) {
    composeBench(bench, true);
}

BENCHMARK(BM_Compose)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compose_AnswersKept)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
