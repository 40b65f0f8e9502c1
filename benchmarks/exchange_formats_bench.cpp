// Export and import of 65,536 IDs x 12 languages in every exchange format,
// in the same run as the .xlsx path they are measured against. The
// translator formats hold one target language per file: their figures are
// for all 11 files.
//
//     exchange_formats_bench [--benchmark_repetitions=3]

#include "transfer/ExcelExport.h"
#include "transfer/ExcelImport.h"
#include "exchange/Exchange.h"
#include "platform/excel/Application.h"
#include "platform/excel/model/Workbook.h"
#include "platform/resutil/ResStrings.h"
#include "uistrings/LgvStringModule.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kIds = 65536;
constexpr int kLanguages = 12;
constexpr int kLocales[kLanguages] = {2057, 1031, 1036, 1040, 1034, 1043, 1049, 1041, 2052, 1025, 1037, 1054};

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString filePath(const QString &name) { return workDir().filePath(name); }

const resutil::ResStrings &table()
{
    static std::unique_ptr<resutil::ResStrings> strings;
    if (!strings) {
        static const QString samples[kLanguages] = {
            "Open the file", "Datei öffnen", "Ouvrir le fichier", "Apri il file", "Abrir el archivo",
            "Bestand openen", "Открыть файл", "ファイルを開く", "打开文件", "افتح الملف", "פתח את הקובץ", "เปิดไฟล์"};
        strings = std::make_unique<resutil::ResStrings>();
        strings->reserve(qsizetype(kIds) * kLanguages);
        for (int language = 0; language < kLanguages; ++language)
            for (int id = 0; id < kIds; ++id)
                strings->Add(kLocales[language], id, samples[language] + QStringLiteral(" %1").arg(id));
    }
    return *strings;
}

QString languageName(qint32 localeId) { return QStringLiteral("Language %1").arg(localeId); }

class NoFeedback : public TransferFeedback {
public:
    void setProgressCaption(const QString &) override {}
    void setProgressMaximum(int) override {}
    void setProgressMinimum(int) override {}
    void setProgressValue(int value) override { benchmark::DoNotOptimize(value); }
    void showMessage(const QString &) override {}
};

void BM_ExportXlsx(benchmark::State &state)
{
    for (auto _ : state) {
        QFile::remove(filePath("bench.xlsx"));
        auto app = excel::Application::Create();
        ExcelTransfer::ExportTarget target(app.value()->Workbooks());
        target.fileName = filePath("bench.xlsx");
        target.sheetName = QStringLiteral("Strings");
        NoFeedback feedback;
        if (auto status = ExcelTransfer::exportStrings(target, table(), languageName, feedback); !status) {
            state.SkipWithError(qPrintable(status.errorString()));
            return;
        }
    }
    state.counters["MB"] = double(QFileInfo(filePath("bench.xlsx")).size()) / 1e6;
}

void BM_ImportXlsx(benchmark::State &state)
{
    for (auto _ : state) {
        auto app = excel::Application::Create();
        auto book = app.value()->Workbooks().Open(filePath("bench.xlsx"));
        resutil::ResStrings strings;
        NoFeedback feedback;
        if (!book || !ExcelTransfer::importStrings(*book.value(), QStringLiteral("Strings"), strings, feedback)) {
            state.SkipWithError("the .xlsx import failed");
            return;
        }
        if (strings.Count() != qsizetype(kIds) * kLanguages)
            state.SkipWithError("the import did not give every cell back");
    }
}

// One file for the table formats; one per target language for the others.
QStringList filesFor(exchange::Format format, const QString &extension)
{
    if (!exchange::isTranslation(format))
        return {filePath(QStringLiteral("bench.") + extension)};
    QStringList files;
    for (int language = 1; language < kLanguages; ++language)
        files << filePath(QStringLiteral("bench-%1.%2").arg(kLocales[language]).arg(extension));
    return files;
}

exchange::Options optionsFor(exchange::Format format, int fileIndex)
{
    exchange::Options options;
    options.format = format;
    options.sheetName = QStringLiteral("Strings");
    options.original = QStringLiteral("bench.res");
    if (exchange::isTranslation(format))
        options.targetLocale = kLocales[fileIndex + 1];
    return options;
}

void exportFormat(benchmark::State &state, exchange::Format format, const char *extension)
{
    const QStringList files = filesFor(format, QString::fromLatin1(extension));
    qint64 bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (int i = 0; i < files.size(); ++i) {
            QFile::remove(files[i]);
            NoFeedback feedback;
            if (auto status = exchange::exportFile(table(), files[i], optionsFor(format, i), languageName, feedback); !status) {
                state.SkipWithError(qPrintable(status.errorString()));
                return;
            }
            bytes += QFileInfo(files[i]).size();
        }
    }
    state.counters["MB"] = double(bytes) / 1e6;
}

void importFormat(benchmark::State &state, exchange::Format format, const char *extension)
{
    const QStringList files = filesFor(format, QString::fromLatin1(extension));
    for (auto _ : state) {
        resutil::ResStrings strings;
        if (exchange::isTranslation(format)) {
            // The source language is there; each file brings one language back.
            for (const resutil::ResString *entry : table())
                if (entry->LocaleID() == kLocales[0])
                    strings.Add(entry->LocaleID(), entry->ID(), entry->Text());
        }
        for (int i = 0; i < files.size(); ++i) {
            NoFeedback feedback;
            auto imported = exchange::importFile(files[i], strings, optionsFor(format, i), feedback);
            if (!imported) {
                state.SkipWithError(qPrintable(imported.errorString()));
                return;
            }
            ExcelTransfer::replaceStrings(strings, std::move(imported->entries));
        }
        if (strings.Count() != qsizetype(kIds) * kLanguages)
            state.SkipWithError("the import did not give every text back");
    }
}

#define QM_FORMAT_BENCH(Name, format, extension)                                                                      \
    void BM_Export##Name(benchmark::State &state) { exportFormat(state, exchange::Format::format, extension); }       \
    void BM_Import##Name(benchmark::State &state) { importFormat(state, exchange::Format::format, extension); }       \
    BENCHMARK(BM_Export##Name)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);                          \
    BENCHMARK(BM_Import##Name)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ImportXlsx)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
QM_FORMAT_BENCH(Ods, Ods, "ods")
QM_FORMAT_BENCH(Csv, Csv, "csv")
QM_FORMAT_BENCH(Rc, Rc, "rc")
QM_FORMAT_BENCH(Xliff2, Xliff2, "xlf")
QM_FORMAT_BENCH(Xliff12, Xliff12, "xliff")
QM_FORMAT_BENCH(Po, Po, "po")

} // namespace

int main(int argc, char **argv)
{
    LgvStringModule::setCurrentUILanguage(2057);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    table();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
