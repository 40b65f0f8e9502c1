// The translation memory with 1,000,000 entries: adding a .res of 65,536
// string IDs in 12 languages (786,432 strings), then more, the database's
// size, one fuzzy lookup, and pre-translating 65,536 strings.
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

const QList<qint32> kLocales{2057, 1031, 1036, 1040, 1034, 1043, 1049, 1032, 1041, 2052, 1025, 1037};
constexpr int kIds = 65536;
constexpr int kMoreIds = 25500; // 25,500 x 11 more pairs pass 1,000,000

// A vocabulary of made-up words, one per language.
QStringList vocabulary(quint32 seed, int count)
{
    static const char *syllables[] = {"ka", "lo", "mi", "ren", "to", "sa", "vel", "qu", "an", "dor", "is", "fe", "gra",
                                      "nu", "pe", "sch", "ti", "ul", "wo", "ber", "cy", "ex", "hal", "jo", "mon", "ri"};
    QRandomGenerator random(seed);
    QStringList words;
    for (int i = 0; i < count; ++i) {
        QString word;
        const int parts = 1 + int(random.bounded(3u));
        for (int p = 0; p < parts; ++p)
            word += QLatin1String(syllables[random.bounded(uint(std::size(syllables)))]);
        words << word + QString::number(i % 7 == 0 ? i : 0).replace(QLatin1String("0"), QString());
    }
    return words;
}

// A user interface text: 2 to 9 words, some with an access key, a placeholder,
// an ellipsis or a colon. Each language says it with its own words.
QString textFor(quint32 id, int language, const QStringList &words)
{
    QRandomGenerator random(id * 2654435761u);
    const int count = 2 + int(random.bounded(8u));
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << words[int(random.bounded(uint(words.size())))];
    QString text = parts.join(u' ');
    const uint decoration = random.bounded(10u);
    if (decoration == 0)
        text.insert(int(random.bounded(uint(text.size()))), u'&');
    else if (decoration == 1)
        text += QStringLiteral(" %1");
    else if (decoration == 2)
        text += QStringLiteral("...");
    else if (decoration == 3)
        text += u':';
    if (language == 0 && !text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

struct Fixture {
    QTemporaryDir dir;
    std::vector<QStringList> words;
    std::unique_ptr<memory::TranslationMemory> tm;
    QString resPath;

    Fixture()
    {
        for (int l = 0; l < kLocales.size(); ++l)
            words.push_back(vocabulary(quint32(l + 1), 3000));
        resPath = dir.filePath(QStringLiteral("Big.res"));
        resutil::ResFile file;
        file.setFileName(resPath);
        if (!file.Create().ok())
            std::abort();
        fillFile(file.Strings(), 0, kIds);
        if (!file.Save(0).ok())
            std::abort();
        auto opened = memory::TranslationMemory::open(dir.filePath(QStringLiteral("memory.db")));
        if (!opened)
            std::abort();
        tm = std::move(opened.value());
    }

    void fillFile(resutil::ResStrings &strings, quint32 seed, int ids)
    {
        for (int l = 0; l < kLocales.size(); ++l)
            for (int id = 0; id < ids; ++id)
                strings.Add(kLocales[l], id, textFor(seed + quint32(id), l, words[std::size_t(l)]));
    }
};

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
