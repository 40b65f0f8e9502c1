// The three-way merge of resource files with 65,536 string IDs in 12
// languages, 1,000 changed cells on each side: the merge alone, the whole work
// of "quillmark merge" in this process, and the command itself.
#include "merge/Differences.h"
#include "merge/ThreeWayMerge.h"
#include "platform/resutil/ResFile.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kIds = 65536;
constexpr int kLanguages = 12;
constexpr int kChanges = 1000;
const qint32 kLocales[kLanguages] = {1025, 1028, 1031, 1033, 1036, 1037, 1040, 1041, 1049, 1054, 2052, 2057};

void save(resutil::ResFile &file, const QString &path)
{
    file.setFileName(path);
    if (auto status = file.Save(0); !status.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(status.errorString()));
        std::abort();
    }
}

// Changes kChanges cells spread over the whole table, starting at offset.
void change(resutil::ResFile &file, int offset, const QString &mark)
{
    for (int i = 0; i < kChanges; ++i) {
        const int cell = i * 769 + offset; // 769 * 1000 < 65,536 * 12
        const qint32 locale = kLocales[cell / kIds];
        const qint32 id = cell % kIds;
        file.Strings().Find(locale, id)->setText(mark + QString::number(id));
    }
}

struct Fixture {
    QTemporaryDir dir;
    QString base, mine, theirs;
    Fixture()
    {
        base = dir.filePath(QStringLiteral("base.res"));
        mine = dir.filePath(QStringLiteral("mine.res"));
        theirs = dir.filePath(QStringLiteral("theirs.res"));
        resutil::ResFile file;
        file.Strings().reserve(qsizetype(kIds) * kLanguages);
        for (qint32 locale : kLocales)
            for (int id = 0; id < kIds; ++id)
                file.Strings().Add(locale, id, QStringLiteral("String number %1 for locale %2").arg(id).arg(locale));
        save(file, base);
        change(file, 0, QStringLiteral("Mine "));
        save(file, mine);
        file.setFileName(base);
        if (!file.Load().ok())
            std::abort();
        change(file, 300, QStringLiteral("Theirs "));
        save(file, theirs);
    }
};

const Fixture &fixture()
{
    static Fixture f;
    return f;
}

struct Loaded {
    resutil::ResFile file;
    merge::Version version;
    explicit Loaded(const QString &path)
    {
        file.setFileName(path);
        if (!file.Load().ok())
            std::abort();
        version = merge::versionOf(file);
    }
};

void checkClean(const merge::MergeResult &result, const merge::StringTable &mine)
{
    if (!result.clean() || merge::diffStrings(mine, result.strings()).size() != std::size_t(kChanges)) {
        std::fprintf(stderr, "the merge is wrong\n");
        std::abort();
    }
}

// The merge of three tables already read.
void BM_MergeTables(benchmark::State &state)
{
    const Loaded base(fixture().base);
    const Loaded mine(fixture().mine);
    const Loaded theirs(fixture().theirs);
    for (auto _ : state) {
        merge::MergeResult result = merge::mergeVersions(base.version, mine.version, theirs.version);
        benchmark::DoNotOptimize(result.strings().size());
    }
    checkClean(merge::mergeVersions(base.version, mine.version, theirs.version), mine.version.strings);
}
BENCHMARK(BM_MergeTables)->Unit(benchmark::kMillisecond);

// What "quillmark merge" does: read the three files, merge, apply to mine, save.
void BM_MergeFiles(benchmark::State &state)
{
    const QString out = QDir(fixture().dir.path()).filePath(QStringLiteral("out.res"));
    for (auto _ : state) {
        const Loaded base(fixture().base);
        Loaded mine(fixture().mine);
        const Loaded theirs(fixture().theirs);
        const merge::MergeResult result = merge::mergeVersions(base.version, mine.version, theirs.version);
        merge::applyChanges(mine.file.Strings(), merge::diffStrings(mine.version.strings, result.strings()));
        save(mine.file, out);
    }
}
BENCHMARK(BM_MergeFiles)->Unit(benchmark::kMillisecond);

double childCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The command as git runs it, process start included. child_cpu_ms: the
// command's own processor time (user and system), which a busy machine does
// not inflate as it does the wall-clock time.
void BM_MergeCommand(benchmark::State &state)
{
    const QString out = QDir(fixture().dir.path()).filePath(QStringLiteral("cli.res"));
    const double cpuBefore = childCpuSeconds();
    for (auto _ : state) {
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        process.start(QStringLiteral(QM_QUILLMARK), {"merge", fixture().base, fixture().mine, fixture().theirs, "-o", out});
        process.waitForFinished(-1);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            state.SkipWithError(process.readAllStandardError().constData());
            break;
        }
    }
    state.counters["child_cpu_ms"] =
        benchmark::Counter(1000 * (childCpuSeconds() - cpuBefore) / double(state.iterations()));
}
BENCHMARK(BM_MergeCommand)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
