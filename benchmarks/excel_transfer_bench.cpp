// Export and import of a full string table: 65,536 IDs x 12 languages as
// .xlsx, 65,534 IDs x 12 as .xls (the most an .xls sheet holds), against
// Python's openpyxl writing and reading the same table when it is installed.
//
//     excel_transfer_bench [--benchmark_repetitions=3]

#include "transfer/ExcelExport.h"
#include "transfer/ExcelImport.h"
#include "platform/excel/Application.h"
#include "platform/excel/model/Workbook.h"
#include "platform/resutil/ResStrings.h"
#include "uistrings/LgvStringModule.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <map>
#include <memory>

namespace {

constexpr int kLanguages = 12;
constexpr int kLocales[kLanguages] = {2057, 1031, 1036, 1040, 1034, 1043, 1049, 1041, 2052, 1025, 1037, 1054};

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString bookPath(const char *name) { return workDir().filePath(QString::fromLatin1(name)); }

// The table: every ID in every language, texts in each language's script.
const resutil::ResStrings &table(int ids)
{
    static std::map<int, std::unique_ptr<resutil::ResStrings>> tables;
    auto &strings = tables[ids];
    if (!strings) {
        static const QString samples[kLanguages] = {
            "Open the file", "Datei öffnen", "Ouvrir le fichier", "Apri il file", "Abrir el archivo",
            "Bestand openen", "Открыть файл", "ファイルを開く", "打开文件", "افتح الملف", "פתח את הקובץ", "เปิดไฟล์"};
        strings = std::make_unique<resutil::ResStrings>();
        strings->reserve(qsizetype(ids) * kLanguages);
        for (int language = 0; language < kLanguages; ++language)
            for (int id = 0; id < ids; ++id)
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

void exportTable(benchmark::State &state, const char *file, int ids)
{
    const resutil::ResStrings &strings = table(ids);
    for (auto _ : state) {
        QFile::remove(bookPath(file));
        auto app = excel::Application::Create();
        ExcelTransfer::ExportTarget target(app.value()->Workbooks());
        target.fileName = bookPath(file);
        target.sheetName = QStringLiteral("Strings");
        NoFeedback feedback;
        const qm::Status status = ExcelTransfer::exportStrings(target, strings, languageName, feedback);
        if (!status) {
            state.SkipWithError(qPrintable(status.errorString()));
            return;
        }
    }
    state.counters["cells"] = double(strings.Count());
    state.counters["MB"] = double(QFileInfo(bookPath(file)).size()) / 1e6;
}

void importTable(benchmark::State &state, const char *file, int ids)
{
    if (!QFile::exists(bookPath(file))) {
        state.SkipWithError("run the export first");
        return;
    }
    qsizetype count = 0;
    double openMs = 0, readMs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto app = excel::Application::Create();
        auto book = app.value()->Workbooks().Open(bookPath(file));
        openMs = double(timer.nsecsElapsed()) / 1e6;
        if (!book) {
            state.SkipWithError(qPrintable(book.errorString()));
            return;
        }
        resutil::ResStrings strings;
        NoFeedback feedback;
        const qm::Status status =
            ExcelTransfer::importStrings(*book.value(), QStringLiteral("Strings"), strings, feedback);
        if (!status) {
            state.SkipWithError(qPrintable(status.errorString()));
            return;
        }
        count = strings.Count();
        readMs = double(timer.nsecsElapsed()) / 1e6 - openMs;
    }
    state.counters["open_ms"] = openMs;
    state.counters["read_ms"] = readMs;
    if (count != qsizetype(ids) * kLanguages)
        state.SkipWithError("the import did not give every cell back");
    state.counters["cells"] = double(count);
}

void BM_ExportXlsx(benchmark::State &state) { exportTable(state, "bench.xlsx", 65536); }
void BM_ImportXlsx(benchmark::State &state) { importTable(state, "bench.xlsx", 65536); }
void BM_ExportXls(benchmark::State &state) { exportTable(state, "bench.xls", 65534); }
void BM_ImportXls(benchmark::State &state) { importTable(state, "bench.xls", 65534); }

// openpyxl in its fast modes (write_only, read_only) on the same table.
const char kOpenpyxl[] = R"PY(
import sys, openpyxl
mode, path = sys.argv[1], sys.argv[2]
locales = [2057, 1031, 1036, 1040, 1034, 1043, 1049, 1041, 2052, 1025, 1037, 1054]
texts = ["Open the file", "Datei öffnen", "Ouvrir le fichier", "Apri il file", "Abrir el archivo",
         "Bestand openen", "Открыть файл", "ファイルを開く", "打开文件", "افتح الملف", "פתח את הקובץ", "เปิดไฟล์"]
if mode == "write":
    book = openpyxl.Workbook(write_only=True)
    sheet = book.create_sheet("Strings")
    sheet.append([None] + ["Language %d" % l for l in locales])
    sheet.append([None] + locales)
    for i in range(65536):
        sheet.append([i] + ["%s %d" % (t, i) for t in texts])
    book.save(path)
else:
    book = openpyxl.load_workbook(path, read_only=True)
    count = 0
    for row in book["Strings"].iter_rows(min_row=3, values_only=True):
        count += len(row) - 1
    print(count)
)PY";

void runOpenpyxl(benchmark::State &state, const char *mode)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (QProcess::execute(python, {"-c", "import openpyxl"}) != 0) {
        state.SkipWithError("openpyxl is not installed (apt-get install python3-openpyxl)");
        return;
    }
    for (auto _ : state) {
        QProcess process;
        process.start(python, {"-c", QString::fromUtf8(kOpenpyxl), QString::fromLatin1(mode), bookPath("openpyxl.xlsx")});
        process.waitForFinished(-1);
        if (process.exitCode() != 0) {
            state.SkipWithError(process.readAllStandardError().constData());
            return;
        }
    }
}

void BM_OpenpyxlWriteXlsx(benchmark::State &state) { runOpenpyxl(state, "write"); }
void BM_OpenpyxlReadXlsx(benchmark::State &state) { runOpenpyxl(state, "read"); }

} // namespace

BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ImportXlsx)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ExportXls)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ImportXls)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_OpenpyxlWriteXlsx)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_OpenpyxlReadXlsx)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char **argv)
{
    LgvStringModule::setCurrentUILanguage(2057);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    table(65536);
    table(65534);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
