// Opening and saving a resource file of 65,536 string IDs in 12 languages
// with a full review state file beside it, against the same file without
// one; and the statistics over it. QM_REVIEWSTATE_BENCH_KEEP=FOLDER keeps
// both files there (State.res with its state file, Plain.res without) for
// timing "quillmark stats" on them.
#include "platform/resutil/ResFile.h"
#include "reviewstate/ReviewStates.h"
#include "reviewstate/StateStats.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int kIds = 65536;
const qint32 kLocales[12] = {1025, 1028, 1031, 1033, 1036, 1037, 1040, 1041, 1049, 1054, 2052, 2057};

QString generatedText(int id, qint32 locale)
{
    switch (locale) {
    case 1041: return QStringLiteral("文字列 %1 番").arg(id);
    case 1025: return QStringLiteral("النص رقم %1").arg(id);
    case 1049: return QStringLiteral("Строка номер %1").arg(id);
    default: return QStringLiteral("String number %1 for locale %2").arg(id).arg(locale);
    }
}

struct Fixture {
    QTemporaryDir dir;
    QString folder, withStates, plain;
    Fixture()
    {
        const QByteArray keep = qgetenv("QM_REVIEWSTATE_BENCH_KEEP");
        folder = keep.isEmpty() ? dir.path() : QString::fromLocal8Bit(keep);
        withStates = QDir(folder).filePath(QStringLiteral("State.res"));
        plain = QDir(folder).filePath(QStringLiteral("Plain.res"));
        {
            resutil::ResFile file;
            file.setFileName(plain);
            file.Strings().reserve(kIds * 12);
            for (const qint32 locale : kLocales)
                for (int id = 0; id < kIds; ++id)
                    file.Strings().Add(locale, id, generatedText(id, locale));
            if (!file.Save().ok())
                std::abort();
        }
        QFile::remove(withStates);
        QFile::remove(withStates + QStringLiteral(".state"));
        if (!QFile::copy(plain, withStates))
            std::abort();
        // Every cell gets its line; a few states and notes of every kind.
        resutil::ResFile file;
        file.setFileName(withStates);
        auto *states = reviewstate::ReviewStates::attach(file);
        if (!file.Load().ok())
            std::abort();
        for (int id = 0; id < kIds; id += 7)
            (void)states->approve(1031, id);
        for (int id = 0; id < kIds; id += 97)
            (void)states->setNote(1036, id, QStringLiteral("note %1").arg(id));
        if (!file.Save().ok() || !QFile::exists(withStates + QStringLiteral(".state")))
            std::abort();
        resutil::ResString *source = file.Strings().Find(2057, 5);
        source->setText(QStringLiteral("changed source"));
        if (!file.Save().ok())
            std::abort();
    }
};

const Fixture &fixture()
{
    static Fixture f;
    return f;
}

void openAndSave(const QString &path, bool states, bool change, int round)
{
    resutil::ResFile file;
    file.setFileName(path);
    if (states)
        reviewstate::ReviewStates::attach(file);
    if (!file.Load().ok())
        std::abort();
    if (change)
        file.Strings().Find(1031, 100)->setText(QStringLiteral("Geändert %1").arg(round));
    if (!file.Save().ok())
        std::abort();
}

void BM_OpenSaveWithoutStates(benchmark::State &state)
{
    int round = 0;
    for (auto _ : state)
        openAndSave(fixture().plain, false, state.range(0) != 0, ++round);
}

void BM_OpenSaveWithStates(benchmark::State &state)
{
    int round = 0;
    for (auto _ : state)
        openAndSave(fixture().withStates, true, state.range(0) != 0, ++round);
}

void BM_Statistics(benchmark::State &state)
{
    for (auto _ : state) {
        resutil::ResFile file;
        file.setFileName(fixture().withStates);
        auto *states = reviewstate::ReviewStates::attach(file);
        if (!file.Load().ok())
            std::abort();
        const reviewstate::FileStats stats = reviewstate::countStates(*states);
        benchmark::DoNotOptimize(stats.languages.size());
    }
}

} // namespace

// Argument 0: saved unchanged; 1: one translation changed first.
BENCHMARK(BM_OpenSaveWithoutStates)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSaveWithStates)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    fixture();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
