// The translation memory with 1,000,000 entries: adding a .res of 65,536
// string IDs in 12 languages (786,432 strings), then more, the database's
// size, one fuzzy lookup, and pre-translating 65,536 strings.
#include "benchmarks/MemoryCorpus.h"
#include "memory/Pretranslate.h"
#include "memory/StringTableEntries.h"
#include "memory/TranslationMemory.h"
#include "platform/resutil/ResFile.h"
#include "platform/resutil/ResStrings.h"

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace corpus;

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void AddResFile(benchmark::State &state)
{
    Fixture &f = fixture();
    qint64 added = 0;
    for (auto _ : state) {
        auto entries = memory::entriesOfResFile(f.resPath);
        if (!entries)
            std::abort();
        auto result = f.tm->add(entries.value());
        if (!result)
            std::abort();
        added = result->added;
    }
    state.counters["added"] = double(added);
}
BENCHMARK(AddResFile)->Unit(benchmark::kMillisecond)->Iterations(1);

void AddMoreAndMeasureSize(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        resutil::ResStrings strings;
        f.fillFile(strings, 1000000, kMoreIds);
        auto result = f.tm->add(memory::entriesOf(strings, 2057, QStringLiteral("/projects/Second.res")));
        if (!result)
            std::abort();
    }
    auto stats = f.tm->stats();
    if (!stats)
        std::abort();
    state.counters["entries"] = double(stats->entries);
    state.counters["sources"] = double(stats->sourceTexts);
    state.counters["MB"] = double(stats->bytes) / 1e6;
}
BENCHMARK(AddMoreAndMeasureSize)->Unit(benchmark::kMillisecond)->Iterations(1);

// A text like a stored one, with one word changed: the fuzzy path.
void FuzzyLookup(benchmark::State &state)
{
    Fixture &f = fixture();
    quint32 id = 0;
    std::size_t found = 0, lookups = 0;
    for (auto _ : state) {
        id = (id + 7919) % kIds;
        QString text = textFor(id, 0, f.words[0]);
        const qsizetype space = text.indexOf(u' ');
        text.insert(space < 0 ? text.size() : space, QStringLiteral(" extra"));
        auto result = f.tm->lookup(2057, 1031, text);
        if (!result)
            std::abort();
        found += result->empty() ? 0 : 1;
        ++lookups;
    }
    state.counters["with_match"] = double(found) / double(lookups);
}
BENCHMARK(FuzzyLookup)->Unit(benchmark::kMillisecond)->Iterations(200);

void ExactLookup(benchmark::State &state)
{
    Fixture &f = fixture();
    quint32 id = 0;
    for (auto _ : state) {
        id = (id + 7919) % kIds;
        auto result = f.tm->lookup(2057, 1031, textFor(id, 0, f.words[0]));
        if (!result || result->empty())
            std::abort();
    }
}
BENCHMARK(ExactLookup)->Unit(benchmark::kMillisecond)->Iterations(200);

// 65,536 English strings without German: every one has its 100% match.
void Pretranslate(benchmark::State &state)
{
    Fixture &f = fixture();
    qint64 filled = 0;
    for (auto _ : state) {
        state.PauseTiming();
        resutil::ResStrings strings;
        for (int id = 0; id < kIds; ++id)
            strings.Add(2057, id, textFor(quint32(id), 0, f.words[0]));
        state.ResumeTiming();
        auto result = memory::pretranslate(strings, *f.tm, 2057, 1031, int(state.range(0)));
        if (!result)
            std::abort();
        filled = result->total();
    }
    state.counters["filled"] = double(filled);
}
BENCHMARK(Pretranslate)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
