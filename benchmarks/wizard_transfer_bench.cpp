// The import/export wizard against the command-line tool on the same table:
// 65,536 IDs x 12 languages as .xlsx, 65,534 x 12 as .xls. The wizard runs
// headless (offscreen), driven through its real widgets; its time runs from
// Next on the file step (which opens an existing workbook) until Start has
// returned. The tool's is the whole process. Prints each pair and the ratio;
// the wizard should stay within 1.25 times the tool.
//
//     QT_QPA_PLATFORM=offscreen wizard_transfer_bench

#include "excel/frmExcel.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32/ScriptedInteraction.h"
#include "uistrings/LgvStringModule.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kLanguages = 12;
constexpr int kLocales[kLanguages] = {2057, 1031, 1036, 1040, 1034, 1043, 1049, 1041, 2052, 1025, 1037, 1054};

bool writeTable(const QString &resPath, int ids)
{
    static const QString samples[kLanguages] = {
        "Open the file", "Datei öffnen", "Ouvrir le fichier", "Apri il file", "Abrir el archivo", "Bestand openen",
        "Открыть файл", "ファイルを開く", "打开文件", "افتح الملف", "פתח את הקובץ", "เปิดไฟล์"};
    resutil::ResFile file;
    file.setFileName(resPath);
    file.Strings().reserve(qsizetype(ids) * kLanguages);
    for (int language = 0; language < kLanguages; ++language)
        for (int id = 0; id < ids; ++id)
            file.Strings().Add(kLocales[language], id, samples[language] + QStringLiteral(" %1").arg(id));
    const qm::Status saved = file.Save();
    if (!saved)
        std::fprintf(stderr, "%s\n", qPrintable(saved.errorString()));
    return saved.ok();
}

double toolSeconds(const QStringList &args)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(QM_QUILLMARK), args);
    process.waitForFinished(-1);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "quillmark %s failed: %s\n", qPrintable(args.join(' ')),
                     process.readAllStandardError().constData());
        return -1;
    }
    return seconds;
}

// One run of the wizard in the given direction; -1 when it did not complete.
double wizardSeconds(resutil::ResFile &file, bool import, const QString &book)
{
    win32::ScriptedInteraction ui;
    double seconds = -1;
    ui.answerDialog([&](QDialog &dialog) {
        auto &form = dynamic_cast<frmExcel &>(dialog);
        (import ? form.optImport : form.optExport)->click();
        form.cmdNext->click();
        form.txtFilename->setText(book);
        QElapsedTimer clock;
        clock.start();
        form.cmdNext->click();
        form.cmdNext->click();
        form.cmdStart->click();
        if (form.cmdFinish->isEnabled())
            seconds = double(clock.nsecsElapsed()) / 1e9;
        form.cmdFinish->click();
        return int(QDialog::Accepted);
    });
    frmExcel::ShowExcelDialog(QStringLiteral("Table"), QString(), file);
    if (!ui.unexpected.isEmpty())
        std::fprintf(stderr, "the wizard asked: %s\n", qPrintable(ui.unexpected.join("; ")));
    return seconds;
}

void report(const char *what, double wizard, double tool)
{
    std::printf("%-24s wizard %7.2f s   quillmark %7.2f s   ratio %.2f%s\n", what, wizard, tool, wizard / tool,
                wizard / tool <= 1.25 ? "" : "   (above 1.25)");
}

bool compare(const QTemporaryDir &dir, const char *suffix, int ids)
{
    const QString res = dir.filePath(QStringLiteral("Table.res"));
    if (!writeTable(res, ids))
        return false;
    const QString toolBook = dir.filePath(QStringLiteral("tool.") + QLatin1String(suffix));
    const QString wizardBook = dir.filePath(QStringLiteral("wizard.") + QLatin1String(suffix));
    QFile::remove(toolBook);
    QFile::remove(wizardBook);

    const double toolExport = toolSeconds({"export", res, toolBook, "--sheet", "Table"});
    const double toolImport = toolSeconds({"import", toolBook, res, "--sheet", "Table", "--dry-run"});

    resutil::ResFile file;
    file.setFileName(res);
    if (!file.Load().ok())
        return false;
    const double wizardExport = wizardSeconds(file, false, wizardBook);
    const double wizardImport = wizardSeconds(file, true, wizardBook);
    if (toolExport < 0 || toolImport < 0 || wizardExport < 0 || wizardImport < 0) {
        std::fprintf(stderr, "a %s run did not complete\n", suffix);
        return false;
    }
    const QByteArray label = QByteArray::number(ids) + " x 12 ." + suffix;
    report(("export " + label).constData(), wizardExport, toolExport);
    report(("import " + label).constData(), wizardImport, toolImport);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    LgvStringModule::setCurrentUILanguage(2057);
    QTemporaryDir dir;
    qputenv("QM_REGISTRY_FILE", dir.filePath(QStringLiteral("registry.reg")).toLocal8Bit());
    const bool ok = compare(dir, "xlsx", 65536) && compare(dir, "xls", 65534);
    return ok ? 0 : 1;
}
