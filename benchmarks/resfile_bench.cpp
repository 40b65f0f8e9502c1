// Load, enumerate, Find and Save of a resource file with 65,536 string IDs in
// 12 languages. Set QM_RESFILE_BENCH_KEEP=PATH to keep the generated file there
// (compare_windres.sh uses it).
#include "platform/resutil/ResFile.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    QString path;
    Fixture()
    {
        const QByteArray keep = qgetenv("QM_RESFILE_BENCH_KEEP");
        path = keep.isEmpty() ? QDir(dir.path()).filePath(QStringLiteral("big.res")) : QString::fromLocal8Bit(keep);
        resutil::ResFile file;
        file.setFileName(path);
        file.Strings().reserve(kIds * 12);
        for (qint32 locale : kLocales)
            for (int id = 0; id < kIds; ++id)
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
        for (qint32 locale : kLocales)
            for (int id = 0; id < kIds; ++id)
                found += file.Strings().Find(locale, id) != nullptr;
        if (found != kIds * 12)
            std::abort();
    }
    state.SetItemsProcessed(state.iterations() * kIds * 12);
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
