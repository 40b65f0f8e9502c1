// Load, enumerate, Find and Save of a resource file with 65,536 string IDs in
// 12 languages. Set QM_RESFILE_BENCH_KEEP=PATH to keep the generated file there
// (compare_windres.sh uses it), and QM_RESFILE_BENCH_LANGUAGES=N for a file of
// N languages, up to 32.
#include "platform/resutil/ResFile.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace {

constexpr int kIds = 65536;
// The benchmarks' twelve, then more for a larger file.
const qint32 kLocales[32] = {1025, 1028, 1031, 1033, 1036, 1037, 1040, 1041, 1049, 1054, 2052, 2057, 1029, 1030, 1032, 1034,
                             1035, 1038, 1042, 1043, 1044, 1045, 1046, 1050, 1051, 1053, 1055, 1057, 1060, 1061, 1062, 1063};

int languages()
{
    const int wanted = qEnvironmentVariableIntValue("QM_RESFILE_BENCH_LANGUAGES");
    return wanted > 0 ? std::min(wanted, 32) : 12;
}

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
    QString path;
    Fixture()
    {
        const QByteArray keep = qgetenv("QM_RESFILE_BENCH_KEEP");
        path = keep.isEmpty() ? QDir(dir.path()).filePath(QStringLiteral("big.res")) : QString::fromLocal8Bit(keep);
        resutil::ResFile file;
        file.setFileName(path);
        file.Strings().reserve(kIds * languages());
        for (int l = 0; l < languages(); ++l)
            for (int id = 0, locale = kLocales[l]; id < kIds; ++id)
                file.Strings().Add(locale, id, generatedText(id, locale));
        if (!file.Save(0).ok())
            std::abort();
    }
};

const Fixture &fixture()
{
    static Fixture f;
    return f;
}

void loaded(resutil::ResFile &file)
{
    file.setFileName(fixture().path);
    if (!file.Load().ok())
        std::abort();
}

void BM_Load(benchmark::State &state)
{
    for (auto _ : state) {
        resutil::ResFile file;
        loaded(file);
        benchmark::DoNotOptimize(file.Strings().Count());
    }
}

// The floor for Load: reading the file's bytes.
void BM_ReadFile(benchmark::State &state)
{
    QByteArray bytes(QFileInfo(fixture().path).size(), '\0');
    for (auto _ : state) {
        QFile file(fixture().path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            std::abort();
        if (file.read(bytes.data(), bytes.size()) != bytes.size())
            std::abort();
        benchmark::DoNotOptimize(bytes.data());
    }
}

// Load and a first enumeration of every entry, as the grid does.
void BM_LoadAndEnumerate(benchmark::State &state)
{
    for (auto _ : state) {
        resutil::ResFile file;
        loaded(file);
        qsizetype units = 0;
        for (const resutil::ResString *entry : file.Strings())
            units += entry->Text().size();
        benchmark::DoNotOptimize(units);
    }
}

void BM_Enumerate(benchmark::State &state)
{
    resutil::ResFile file;
    loaded(file);
    for (auto _ : state) {
        qsizetype units = 0;
        for (const resutil::ResString *entry : file.Strings())
            units += entry->Text().size();
        benchmark::DoNotOptimize(units);
    }
    state.SetItemsProcessed(state.iterations() * file.Strings().Count());
}

void BM_FindEvery(benchmark::State &state)
{
    resutil::ResFile file;
    loaded(file);
    for (auto _ : state) {
        int found = 0;
        for (int l = 0; l < languages(); ++l)
            for (int id = 0; id < kIds; ++id)
                found += file.Strings().Find(kLocales[l], id) != nullptr;
        if (found != kIds * languages())
            std::abort();
    }
    state.SetItemsProcessed(state.iterations() * kIds * languages());
}

void BM_Save(benchmark::State &state)
{
    resutil::ResFile file;
    loaded(file);
    file.setFileName(QDir(QFileInfo(fixture().path).absolutePath()).filePath(QStringLiteral("saved.res")));
    for (auto _ : state) {
        if (!file.Save(0).ok())
            std::abort();
    }
    QFile::remove(file.FileName());
}

void BM_LoadAndSave(benchmark::State &state)
{
    const QString out = QDir(QFileInfo(fixture().path).absolutePath()).filePath(QStringLiteral("saved.res"));
    for (auto _ : state) {
        resutil::ResFile file;
        loaded(file);
        file.setFileName(out);
        if (!file.Save(0).ok())
            std::abort();
    }
    QFile::remove(out);
}

} // namespace

BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndEnumerate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Enumerate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindEvery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndSave)->Unit(benchmark::kMillisecond);

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
