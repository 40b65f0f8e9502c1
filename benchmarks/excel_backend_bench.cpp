// Export and import of a full string table through the workbook back end, as
// the wizard does it: every cell written with one assignment, every body
// cell read back by its displayed text. Compare with excel_backend_compare.py.
#include "platform/excel/Application.h"
#include "platform/excel/model/Constants.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace excel;

namespace {

constexpr int Languages = 12;
const char *const Samples[] = {"Save the file", "Datei speichern", "ファイルを保存", "حفظ الملف", "שמור קובץ", "บันทึกไฟล์"};
const int Lcids[Languages] = {2057, 1031, 1041, 1025, 1037, 1054, 1036, 1040, 1034, 1049, 2052, 1081};

QString text(int id, int language)
{
    return QStringLiteral("%1 #%2").arg(QString::fromUtf8(Samples[language % 6])).arg(id);
}

QString fileName(const QString &extension)
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("table.") + extension);
}

// The texts exist before the export starts, as in the resource file.
const std::vector<QString> &texts(int ids)
{
    static std::vector<QString> all;
    if (all.size() < size_t(ids) * Languages) {
        all.clear();
        for (int i = 0; i < ids; ++i)
            for (int l = 0; l < Languages; ++l)
                all.push_back(text(i, l));
    }
    return all;
}

bool writeTable(Application &app, int ids, const QString &file)
{
    const std::vector<QString> &body = texts(ids);
    Workbook *book = app.Workbooks().Add(xlWBATWorksheet).value();
    Worksheet *sheet = book->ActiveSheet();
    bool ok = sheet->SetName(QStringLiteral("Strings")).ok() && sheet->Cells().SetHorizontalAlignment(xlLeft).ok();
    for (int l = 0; l < Languages; ++l) {
        ok = ok && sheet->Cells().Set(1, l + 2, QStringLiteral("Language %1").arg(Lcids[l])).ok();
        ok = ok && sheet->Cells().Set(2, l + 2, Lcids[l]).ok();
    }
    for (int i = 0; i < ids; ++i) {
        ok = ok && sheet->Cells().Set(i + 3, 1, i).ok();
        for (int l = 0; l < Languages; ++l)
            ok = ok && sheet->Cells().Set(i + 3, l + 2, body[size_t(i) * Languages + size_t(l)]).ok();
    }
    ok = ok && book->SaveAs(file).ok();
    app.Quit();
    return ok;
}

// Reads the table column by column, as the import does; returns the characters read.
qint64 readTable(Application &app, const QString &file)
{
    auto book = app.Workbooks().Open(file);
    if (!book)
        return -1;
    Worksheet *sheet = book.value()->Worksheets().Item(QStringLiteral("Strings")).value();
    const Range used = sheet->UsedRange();
    qint64 chars = 0;
    for (int c = 2; c <= used.ColumnsCount(); ++c) {
        chars += qint64(used.Value(2, c).number());
        chars += used.Text(1, c).size();
        for (int r = 3; r <= used.RowsCount(); ++r) {
            chars += qint64(used.Value(r, 1).number()) & 1;
            chars += used.Text(r, c).size();
        }
    }
    app.Quit();
    return chars;
}

void run(benchmark::State &state, const QString &extension, int ids, bool write)
{
    auto app = Application::Create();
    const QString file = fileName(extension);
    texts(ids);
    if (!write && !writeTable(*app.value(), ids, file)) {
        state.SkipWithError("the table could not be written");
        return;
    }
    for (auto _ : state) {
        if (write) {
            if (!writeTable(*app.value(), ids, file))
                state.SkipWithError("write failed");
        } else {
            const qint64 chars = readTable(*app.value(), file);
            if (chars < 0)
                state.SkipWithError("read failed");
            benchmark::DoNotOptimize(chars);
        }
    }
    state.counters["cells"] = double(ids + 2) * (Languages + 1);
}

void BM_WriteXlsx(benchmark::State &state) { run(state, QStringLiteral("xlsx"), 65536, true); }
void BM_ReadXlsx(benchmark::State &state) { run(state, QStringLiteral("xlsx"), 65536, false); }
void BM_WriteXls(benchmark::State &state) { run(state, QStringLiteral("xls"), 65534, true); }
void BM_ReadXls(benchmark::State &state) { run(state, QStringLiteral("xls"), 65534, false); }

} // namespace

BENCHMARK(BM_WriteXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteXls)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadXls)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
