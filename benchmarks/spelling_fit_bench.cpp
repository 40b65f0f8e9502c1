// Spelling and the width check over 65,536 string IDs in 12 languages
// (786,432 strings), with the Hunspell dictionaries of those languages that
// have one (German, French, Italian, Spanish, Dutch, Russian; Greek, Japanese,
// Chinese, Arabic and Hebrew have none installed and are named once).
#include "benchmarks/OffscreenSettings.h"
#include "fit/TextWidth.h"
#include "languages/modUtilFonts.h"
#include "platform/resutil/ResStrings.h"
#include "spelling/BackgroundChecker.h"
#include "spelling/SpellingCheck.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QList<qint32> kLocales{2057, 1031, 1036, 1040, 1034, 1043, 1049, 1032, 1041, 2052, 1025, 1037};
constexpr int kIds = 65536;

// The language's own words, the first thousands of its dictionary; a few
// fixed words where it has none.
QStringList vocabulary(qint32 lcid)
{
    const QString path = spelling::dictionaryPath(lcid, spelling::dictionaryFolders());
    QStringList words;
    QFile file(path + QStringLiteral(".dic"));
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly)) {
        file.readLine();
        while (words.size() < 20000 && !file.atEnd()) {
            const QString word = QString::fromUtf8(file.readLine()).section(u'/', 0, 0).trimmed();
            if (word.size() > 2 && !word.contains(u' ') && !word.contains(u'.'))
                words.append(word);
        }
    }
    if (words.isEmpty())
        words = {QStringLiteral("テキスト"), QStringLiteral("文本"), QStringLiteral("نص"), QStringLiteral("טקסט"), QStringLiteral("κείμενο")};
    return words;
}

// Four to nine words; one text in fifty has a misspelt one.
QString textFor(int id, qint32 lcid, const QStringList &words)
{
    QString text;
    const int count = 4 + id % 6;
    for (int i = 0; i < count; ++i) {
        const quint32 pick = (quint32(id) * 2654435761u + quint32(i) * 40503u + quint32(lcid)) % quint32(words.size());
        text += (i ? QStringLiteral(" ") : QString()) + words[qsizetype(pick)];
    }
    if ((id + lcid) % 50 == 0)
        text += QStringLiteral(" Qxzrwl");
    return text;
}

resutil::ResStrings &table()
{
    static resutil::ResStrings strings;
    if (strings.Count() == 0) {
        strings.reserve(qsizetype(kIds) * kLocales.size());
        for (qint32 lcid : kLocales) {
            const QStringList words = vocabulary(lcid);
            for (int id = 0; id < kIds; ++id)
                strings.Add(lcid, id, textFor(id, lcid, words));
        }
    }
    return strings;
}

void SpellEveryString(benchmark::State &state)
{
    resutil::ResStrings &strings = table();
    std::size_t problems = 0;
    for (auto _ : state) {
        // The dictionaries are opened within, as a first check after start does.
        spelling::SpellCheckers checkers;
        problems = spelling::checkSpelling(strings, 2057, checkers).size();
        benchmark::DoNotOptimize(problems);
    }
    state.counters["strings"] = double(strings.Count());
    state.counters["problems"] = double(problems);
}
BENCHMARK(SpellEveryString)->Unit(benchmark::kMillisecond)->Iterations(2);

// The grid's first screenful after opening: 40 rows of every language with a
// dictionary, checked with every dictionary open at once (as the grid did),
// or asked of the background checker, which opens one at a time, until every
// word is answered.
constexpr int kScreenRows = 40;

void SpellAScreenfulWithEveryDictionaryOpen(benchmark::State &state)
{
    resutil::ResStrings &strings = table();
    qsizetype misspelt = 0;
    for (auto _ : state) {
        spelling::SpellCheckers checkers;
        misspelt = 0;
        for (qint32 lcid : kLocales)
            if (spelling::SpellChecker *checker = checkers.forLocale(lcid))
                for (int id = 0; id < kScreenRows; ++id)
                    misspelt += checker->misspellings(strings.TextViewOf(lcid, id), strings.TextViewOf(2057, id)).size();
    }
    state.counters["misspelt"] = double(misspelt);
}
BENCHMARK(SpellAScreenfulWithEveryDictionaryOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

void SpellAScreenfulInTheBackground(benchmark::State &state)
{
    resutil::ResStrings &strings = table();
    qsizetype misspelt = 0;
    int reads = 0;
    for (auto _ : state) {
        spelling::BackgroundChecker checker(spelling::dictionaryFolders(), [] {});
        const auto pass = [&] {
            qsizetype found = 0;
            for (qint32 lcid : kLocales) {
                if (!checker.hasDictionary(lcid))
                    continue;
                const spelling::Verdict known = [&](const QString &word) { return checker.knows(lcid, word); };
                for (int id = 0; id < kScreenRows; ++id)
                    if (const auto words = spelling::misspellings(strings.TextViewOf(lcid, id), strings.TextViewOf(2057, id), known))
                        found += words->size();
            }
            return found;
        };
        pass();
        checker.settle();
        misspelt = pass();
        reads = checker.dictionariesRead();
    }
    state.counters["misspelt"] = double(misspelt);
    state.counters["dictionaries read"] = double(reads);
}
BENCHMARK(SpellAScreenfulInTheBackground)->Unit(benchmark::kMillisecond)->Iterations(3);

void MeasureEveryString(benchmark::State &state)
{
    resutil::ResStrings &strings = table();
    const fit::FontForLocale fontFor = [](qint32 lcid) {
        QFont font = QApplication::font();
        font.setFamilies({modUtil::GetStoredLanguageFont(lcid, modUtil::GetDefaultFontForLocale(lcid))});
        return font;
    };
    std::size_t problems = 0;
    for (auto _ : state) {
        problems = fit::checkWidths(strings, 2057, fontFor).size();
        benchmark::DoNotOptimize(problems);
    }
    state.counters["strings"] = double(strings.Count());
    state.counters["problems"] = double(problems);
}
BENCHMARK(MeasureEveryString)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    const OffscreenSettings settings;
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
