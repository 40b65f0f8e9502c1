// Undo and redo of a whole import in the editor: a project of 65,536 string
// IDs in 12 languages (786,432 strings), shown in the grid, takes in a
// workbook of the same size with other texts through the import wizard; then
// the import is undone and redone, each time with the grid filled again.
// Also reports the heap the undo step keeps against the heap the table
// itself takes when a resource file holding it is read.
//
//     QT_QPA_PLATFORM=offscreen undo_bench
#include "benchmarks/OffscreenSettings.h"
#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "transfer/ExcelExport.h"
#include "excel/frmExcel.h"
#include "platform/excel/Application.h"
#include "platform/excel/model/Workbook.h"
#include "platform/resutil/ResFile.h"
#include "platform/runtime/LocaleInfo.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/ScriptedInteraction.h"
#include "platform/win32/SftTree.h"
#include "support/Globals.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUndoStack>

#include <malloc.h>

#include <cstdio>
#include <memory>

namespace {

const QList<qint32> kLocales{2057, 1031, 1036, 1040, 1034, 1043, 1049, 1032, 1041, 2052, 1025, 1037};
constexpr int kIds = 65536;

double heapMiB()
{
    malloc_trim(0);
    return double(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

void fill(resutil::ResStrings &strings, const QString &pattern)
{
    strings.reserve(qsizetype(kIds) * kLocales.size());
    for (qint32 lcid : kLocales)
        for (int id = 0; id < kIds; ++id)
            strings.Add(lcid, id, pattern.arg(id).arg(lcid));
}

class NoFeedback : public TransferFeedback {
public:
    void setProgressCaption(const QString &) override {}
    void setProgressMaximum(int) override {}
    void setProgressMinimum(int) override {}
    void setProgressValue(int) override {}
    void showMessage(const QString &) override {}
};

double elapsedMs(const QElapsedTimer &clock) { return double(clock.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char **argv)
{
    const OffscreenSettings settings;
    QApplication app(argc, argv);
    ::LocaleInfo = std::make_shared<LgvRuntime::LocaleInfo>();
    QTemporaryDir dir;
    const QString resPath = dir.filePath("Big.res");
    const QString bookPath = dir.filePath("Big.xlsx");
    {
        resutil::ResFile file;
        file.setFileName(resPath);
        if (!file.Create().ok())
            return 1;
        fill(file.Strings(), QStringLiteral("Text %1 in %2"));
        if (!file.Save(0).ok())
            return 1;
        // The workbook: the same table with other texts.
        resutil::ResStrings other;
        fill(other, QStringLiteral("Imported text %1 for %2"));
        auto excelApp = excel::Application::Create();
        ExcelTransfer::ExportTarget target(excelApp.value()->Workbooks());
        target.fileName = bookPath;
        target.sheetName = QStringLiteral("Big");
        NoFeedback feedback;
        const qm::Status exported = ExcelTransfer::exportStrings(
            target, other, [](qint32 lcid) { return QString::number(lcid); }, feedback);
        if (!exported) {
            std::fprintf(stderr, "%s\n", qPrintable(exported.errorString()));
            return 1;
        }
    }
    QFile project(dir.filePath("Big.vbp"));
    if (!project.open(QIODevice::WriteOnly))
        return 1;
    project.write("Type=Exe\r\nResFile32=\"Big.res\"\r\nName=\"Big\"\r\n");
    project.close();

    // The table's own size: the heap a resource file holding it takes.
    double tableMiB = 0;
    {
        const double before = heapMiB();
        resutil::ResFile file;
        file.setFileName(resPath);
        if (!file.Load().ok())
            return 1;
        tableMiB = heapMiB() - before;
    }

    win32::ScriptedInteraction user;
    vbide::VBE vbe;
    if (!vbe.VBProjects()->AddFromFile(project.fileName()))
        return 1;
    docResourceEditor editor;
    editor.resize(1200, 800);
    editor.setVBE(&vbe);
    editor.cboProjects()->setCurrentIndex(0);
    editor.cboProjects_Click();
    if (editor.SftTree()->itemCount() != kIds)
        return 1;

    user.answerDialog([&](QDialog &dialog) {
        auto &form = dynamic_cast<frmExcel &>(dialog);
        form.optImport->click();
        form.cmdNext->click();
        form.txtFilename->setText(bookPath);
        form.cmdNext->click();
        form.cmdNext->click();
        form.cmdStart->click();
        form.cmdFinish->click();
        return int(QDialog::Accepted);
    });
    const double beforeImport = heapMiB();
    QElapsedTimer clock;
    clock.start();
    editor.toolbar_ButtonClick(editor.toolbarButton(QStringLiteral("excel")));
    const double importMs = elapsedMs(clock);
    QUndoStack &stack = *editor.CurrentProject()->UndoStack();
    resutil::ResStrings &strings = editor.CurrentProject()->ResourceFile()->Strings();
    if (stack.count() != 1 || strings.Find(1031, 7)->Text() != QStringLiteral("Imported text 7 for 1031")) {
        std::fprintf(stderr, "the import was not one step: %d steps\n", stack.count());
        return 1;
    }
    const double afterImport = heapMiB();

    double undoMs[3], redoMs[3];
    for (int round = 0; round < 3; ++round) {
        clock.restart();
        editor.Undo();
        undoMs[round] = elapsedMs(clock);
        if (strings.Find(1031, 7)->Text() != QStringLiteral("Text 7 in 1031")
            || editor.SftTree()->itemCount() != kIds)
            return 1;
        clock.restart();
        editor.Redo();
        redoMs[round] = elapsedMs(clock);
        if (strings.Find(1031, 7)->Text() != QStringLiteral("Imported text 7 for 1031"))
            return 1;
    }
    // What the step keeps: the heap it gives back when the stack is emptied.
    stack.clear();
    const double stackMiB = afterImport - heapMiB();

    std::printf("strings: %lld\n", static_cast<long long>(strings.Count()));
    std::printf("import through the wizard: %.0f ms\n", importMs);
    for (int round = 0; round < 3; ++round)
        std::printf("round %d: undo %.0f ms, redo %.0f ms\n", round + 1, undoMs[round], redoMs[round]);
    std::printf("table's own heap: %.1f MiB\n", tableMiB);
    std::printf("undo stack after the import: %.1f MiB (%.2f x the table)\n", stackMiB, stackMiB / tableMiB);
    std::printf("heap before the import: %.1f MiB, after: %.1f MiB\n", beforeImport, afterImport);
    ::LocaleInfo.reset();
    return 0;
}
