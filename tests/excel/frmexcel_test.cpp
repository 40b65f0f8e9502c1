#include "WizardTestSupport.h"

#include "excel/CaptionedProgressBar.h"
#include "excel/frmExcel.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/io/ReadBudget.h"
#include "platform/resutil/ResFile.h"
#include "platform/runtime/RuntimeSupport.h"
#include "platform/win32/ScriptedInteraction.h"
#include "support/frmError.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using excel::Value;
using win32::ScriptedInteraction;

using namespace wizardtest;

namespace {

const QString kTitle = QStringLiteral("Quill Resource String Editor");

} // namespace

class FrmExcelTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    qint32 runWizard(ScriptedInteraction &ui, resutil::ResFile &file, const std::function<void(frmExcel &)> &drive,
                     const QString &projectDir = QString(), QList<Report> *reports = nullptr, int expectedReports = 0)
    {
        return wizardtest::runWizard(ui, file, drive, projectDir.isNull() ? m_dir.path() : projectDir, reports,
                                     expectedReports);
    }

    static QList<SheetCell> exampleSheet()
    {
        return {{1, 2, Value("English")}, {1, 3, Value("German")}, {2, 2, Value(2057)}, {2, 3, Value(1031)},
                {3, 1, Value(10)},        {4, 1, Value(11)},       {3, 2, Value("Yes")}, {3, 3, Value("Ja")},
                {4, 2, Value("No")}};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LgvStringModule::setCurrentUILanguage(2057);
    }

    void init() { LgvStringModule::setCurrentUILanguage(2057); }

    void excelUnavailable()
    {
        qputenv("QM_EXCEL_UNAVAILABLE", "1");
        ScriptedInteraction ui;
        ui.answerMsgBox(win32::vbOK);
        bool shown = false;
        ui.answerDialog([&shown](QDialog &) {
            shown = true;
            return int(QDialog::Accepted);
        });
        resutil::ResFile file;
        const qint32 result = frmExcel::ShowExcelDialog(QStringLiteral("Project1"), m_dir.path(), file);
        qunsetenv("QM_EXCEL_UNAVAILABLE");
        QCOMPARE(result, 0);
        QCOMPARE(ui.messageBoxes.size(), 1);
        QCOMPARE(ui.messageBoxes[0].prompt,
                 QStringLiteral("Unable to start Excel.\r\nExcel must be installed to perform Excel Import or Export"));
        QCOMPARE(ui.messageBoxes[0].style, int(win32::vbExclamation));
        QCOMPARE(ui.messageBoxes[0].title, kTitle);
        QVERIFY(ui.unexpected.isEmpty());
        QVERIFY(!shown);
    }

    void opensOnTheDirectionStep()
    {
        ScriptedInteraction ui;
        resutil::ResFile file;
        bool ran = false;
        const qint32 result = runWizard(ui, file, [&](frmExcel &form) {
            ran = true;
            QCOMPARE(form.windowTitle(), QStringLiteral("Quill Resource String Editor - Excel Import/Export"));
            QCOMPARE(form.txtFilename->text(), m_dir.path() + QStringLiteral("/Project1.xls"));
            QCOMPARE(form.State().CurrentStep, 0);
            QVERIFY(!form.Step[0]->isHidden());
            for (int i = 1; i < frmExcel::StepCount; ++i) {
                QVERIFY(form.Step[i]->isHidden());
                QCOMPARE(form.Step[i]->geometry(), form.Step[0]->geometry());
            }
            QVERIFY(!form.cmdBack->isEnabled());
            QVERIFY(!form.cmdNext->isEnabled());
            QVERIFY(!form.cmdFinish->isEnabled());
            QVERIFY(!form.optImport->isChecked() && !form.optExport->isChecked());
            QCOMPARE(form.lblTitle[2]->text(), QStringLiteral("Excel Import/Export"));
            QCOMPARE(form.cmdStart->text(), QStringLiteral("Start ??port"));
            QCOMPARE(form.pbaProgress->SecondaryText(), QStringLiteral("0%"));
            // The buttons sit right below the panels.
            QCOMPARE(form.cmdHelp->y(), form.Step[0]->height());
            QCOMPARE(form.cmdFinish->y(), form.Step[0]->height());
            QCOMPARE(form.height(), form.cmdFinish->geometry().bottom() + 1 + form.cmdCancel->x());
            QCOMPARE(form.cboWorksheetList->geometry(), form.cboWorksheetCombo->geometry());
            form.cmdHelp->click();
            form.cmdCancel->click();
        });
        QVERIFY(ran);
        QCOMPARE(result, 2);
        QCOMPARE(ui.helpShown.size(), 1);
        QCOMPARE(ui.helpShown[0].second, 104);
        QVERIFY(ui.unexpected.isEmpty());
    }

    void emptyProjectDir()
    {
        ScriptedInteraction ui;
        resutil::ResFile file;
        runWizard(ui, file, [](frmExcel &form) { QCOMPARE(form.txtFilename->text(), QStringLiteral("/Project1.xls")); },
                  QStringLiteral(""));
    }

    void directionSetsCaptionsAndBox_data()
    {
        QTest::addColumn<bool>("import");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("start");
        QTest::newRow("import") << true << "Excel Import" << "Start Import";
        QTest::newRow("export") << false << "Excel Export" << "Start Export";
    }
    void directionSetsCaptionsAndBox()
    {
        QFETCH(bool, import);
        QFETCH(QString, title);
        QFETCH(QString, start);
        ScriptedInteraction ui;
        resutil::ResFile file;
        runWizard(ui, file, [&](frmExcel &form) {
            (import ? form.optImport : form.optExport)->click();
            QVERIFY(form.cmdNext->isEnabled());
            QCOMPARE(form.lblTitle[0]->text(), QStringLiteral("Excel Import/Export"));
            for (int i = 1; i < frmExcel::StepCount; ++i)
                QCOMPARE(form.lblTitle[i]->text(), title);
            QCOMPARE(form.cmdStart->text(), start);
            QCOMPARE(form.WorksheetBox(), import ? form.cboWorksheetList : form.cboWorksheetCombo);
            QVERIFY(!form.WorksheetBox()->isHidden());
            QVERIFY((import ? form.cboWorksheetCombo : form.cboWorksheetList)->isHidden());

            // A language change puts the generic captions back.
            LgvRuntime::RuntimeSupport().SetLanguage(1031, QStringLiteral("German (Germany)"));
            QCOMPARE(form.cmdStart->text(), QStringLiteral("Start ??port"));
            QCOMPARE(form.lblTitle[3]->text(), QStringLiteral("Excel Import/Export"));
            QCOMPARE(form.cmdCancel->text(), QStringLiteral("Abbrechen"));
            LgvRuntime::RuntimeSupport().SetLanguage(2057, QStringLiteral("English (United Kingdom)"));
            QCOMPARE(form.cmdCancel->text(), QStringLiteral("Cancel"));
        });
    }

    void fileStepNeedsAnExistingFileForImport()
    {
        writeBook(path("exists.xlsx"), {{"Project1", exampleSheet()}});
        ScriptedInteraction ui;
        resutil::ResFile file;
        runWizard(ui, file, [&](frmExcel &form) {
            form.optImport->click();
            form.cmdNext->click();
            QCOMPARE(form.State().CurrentStep, 1);
            QVERIFY(form.cmdBack->isEnabled());
            QVERIFY(!form.cmdNext->isEnabled()); // Project1.xls does not exist
            form.txtFilename->setText(path("exists.xlsx"));
            QVERIFY(form.cmdNext->isEnabled());
            form.txtFilename->setText(m_dir.path()); // a folder is no file
            QVERIFY(!form.cmdNext->isEnabled());
            form.optExport->click();
            form.cmdBack->click();
            QCOMPARE(form.State().CurrentStep, 0);
            QVERIFY(form.optExport->isChecked()); // step 0 is prepared once per opening
            form.cmdNext->click();
            QVERIFY(form.cmdNext->isEnabled()); // export takes any name
            form.txtFilename->clear();
            QVERIFY(!form.cmdNext->isEnabled());
        });
    }

    void browse_data()
    {
        QTest::addColumn<bool>("import");
        QTest::addColumn<int>("flags");
        QTest::newRow("import") << true << 4100;
        QTest::newRow("export") << false << 4;
    }
    void browse()
    {
        QFETCH(bool, import);
        QFETCH(int, flags);
        ScriptedInteraction ui;
        ui.answerFileDialog(QString()); // cancelled
        ui.answerFileDialog(path("chosen.xls"));  // an import's dialog takes only an existing file
        writeFile(path("chosen.xls"), QByteArray());
        resutil::ResFile file;
        runWizard(ui, file, [&](frmExcel &form) {
            (import ? form.optImport : form.optExport)->click();
            form.cmdNext->click();
            const QString before = form.txtFilename->text();
            form.cmdBrowse->click();
            QCOMPARE(form.txtFilename->text(), before);
            QCOMPARE(form.dlgExcelFile.Flags, flags);
            form.cmdBrowse->click();
            QCOMPARE(form.txtFilename->text(), path("chosen.xls"));
        });
        QCOMPARE(ui.fileDialogs.size(), 2);
        QCOMPARE(ui.fileDialogs[0].initialPath, m_dir.path() + QStringLiteral("/Project1.xls"));
        // The workbooks first, as always; then every other format the wizard takes.
        QCOMPARE(ui.fileDialogs[0].filters,
                 (QStringList{"Excel Files (*.xls *.xlsx)", "OpenDocument Spreadsheets (*.ods)",
                              "CSV and Tab-Separated Text (*.csv *.tsv *.txt)", "Resource Scripts (*.rc)",
                              "XLIFF Files (*.xlf *.xliff)", "Gettext PO Files (*.po)", "All Files (*.*)"}));
        QVERIFY(!ui.fileDialogs[0].confirmOverwrite);
        QVERIFY(ui.unexpected.isEmpty());
    }

    void exportToANewFile()
    {
        QFile::remove(path("Project1.xls"));
        ScriptedInteraction ui;
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 10, "Yes"}, {2057, 11, "=Total"}, {1031, 10, "Ja"}});
        const qint32 result = runWizard(ui, file, [&](frmExcel &form) {
            form.optExport->click();
            form.cmdNext->click();
            form.cmdNext->click();
            QCOMPARE(form.State().CurrentStep, 2);
            QVERIFY(form.State().FileMissing);
            QCOMPARE(form.cboWorksheetCombo->count(), 0);
            QCOMPARE(form.cboWorksheetCombo->currentText(), QStringLiteral("Project1"));
            QVERIFY(form.cmdNext->isEnabled());
            QVERIFY(form.cmdUseProjectName->isEnabled());
            // Clearing the name disables Next; the project's name fills it again.
            form.cboWorksheetCombo->setEditText(QString());
            QVERIFY(!form.cmdNext->isEnabled());
            form.cmdUseProjectName->click();
            QCOMPARE(form.cboWorksheetCombo->currentText(), QStringLiteral("Project1"));
            QVERIFY(form.cmdNext->isEnabled());
            form.cmdNext->click();
            QCOMPARE(form.State().CurrentStep, 3);
            QVERIFY(!form.cmdNext->isEnabled());
            QVERIFY(!form.cmdFinish->isEnabled());
            form.cmdStart->click();
            QVERIFY(form.cmdFinish->isEnabled());
            QCOMPARE(form.pbaProgress->Caption(), QStringLiteral("Export complete"));
            QCOMPARE(form.pbaProgress->Max(), 3);
            QCOMPARE(form.pbaProgress->Value(), 3);
            // Back and forth disables Finish again; Start enables it.
            form.cmdBack->click();
            form.cmdNext->click();
            QVERIFY(!form.cmdFinish->isEnabled());
            form.cmdStart->click();
            QVERIFY(form.cmdFinish->isEnabled());
            form.cmdFinish->click();
        });
        QCOMPARE(result, 2);
        QVERIFY(ui.messageBoxes.isEmpty());
        QVERIFY(ui.unexpected.isEmpty());
        auto app = startExcel();
        auto book = app->Workbooks().Open(path("Project1.xls"));
        QVERIFY2(book.ok(), qPrintable(book.errorString()));
        QCOMPARE(book.value()->Worksheets().Count(), 1);
        excel::Worksheet *sheet = book.value()->Worksheets().Item(QStringLiteral("Project1")).value();
        QCOMPARE(sheet->Cells().Text(4, 2), QStringLiteral("=Total"));
        QCOMPARE(sheet->Cells().Value(2, 3), Value(1031));
        QCOMPARE(file.Strings().Count(), 3); // the export only reads
    }

    void exportIntoAnotherSheetOfAnExistingWorkbook()
    {
        writeBook(path("two.xlsx"), {{"Cover", {{1, 1, Value("cover")}}}, {"Data", {{1, 1, Value("old")}}}});
        ScriptedInteraction ui;
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "one"}});
        runWizard(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, false, path("two.xlsx"));
            QVERIFY(!form.State().FileMissing);
            QCOMPARE(form.cboWorksheetCombo->count(), 2);
            QCOMPARE(form.cboWorksheetCombo->itemText(1), QStringLiteral("Data"));
            QCOMPARE(form.cboWorksheetCombo->currentText(), QStringLiteral("Project1"));
            form.cboWorksheetCombo->setCurrentIndex(1);
            form.cboWorksheetCombo->activated(1);
            QCOMPARE(form.cboWorksheetCombo->currentText(), QStringLiteral("Data"));
            QVERIFY(form.cmdNext->isEnabled());
            form.cmdNext->click();
            form.cmdStart->click();
            form.cmdFinish->click();
        });
        auto app = startExcel();
        QM_OPEN_BOOK(book, *app, path("two.xlsx"));
        QCOMPARE(book->Worksheets().Count(), 2);
        QCOMPARE(book->Worksheets().Item(1).value()->Cells().Text(1, 1), QStringLiteral("cover"));
        excel::Worksheet *data = book->Worksheets().Item(2).value();
        QVERIFY(data->Cells().Value(1, 1).isEmpty());
        QCOMPARE(data->Cells().Text(3, 2), QStringLiteral("one"));
    }

    void importFindsTheProjectSheet()
    {
        writeBook(path("import.xlsx"), {{"Other", {{1, 1, Value("x")}}}, {"Project1", exampleSheet()}});
        ScriptedInteraction ui;
        resutil::ResFile file;
        fill(file.Strings(), {{1036, 5, "gone"}});
        const qint32 result = runWizard(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("import.xlsx"));
            QCOMPARE(form.State().CurrentStep, 2);
            QCOMPARE(form.cboWorksheetList->count(), 2);
            QCOMPARE(form.cboWorksheetList->currentText(), QStringLiteral("Project1"));
            QVERIFY(form.cmdUseProjectName->isEnabled());
            QVERIFY(form.cmdNext->isEnabled());
            form.cmdNext->click();
            form.cmdStart->click();
            QCOMPARE(form.pbaProgress->Caption(), QStringLiteral("Import complete"));
            QCOMPARE(form.pbaProgress->Max(), 4);
            QVERIFY(form.cmdFinish->isEnabled());
            form.cmdFinish->click();
        });
        QCOMPARE(result, 1);
        QCOMPARE(entriesOf(file.Strings()),
                 (QList<Entry>{{2057, 10, "Yes"}, {2057, 11, "No"}, {1031, 10, "Ja"}, {1031, 11, ""}}));
        QVERIFY(file.Changed());
        QVERIFY(ui.messageBoxes.isEmpty());
    }

    void importSheetNameDiffersInCase()
    {
        writeBook(path("case.xlsx"), {{"project1", exampleSheet()}});
        ScriptedInteraction ui;
        ui.answerMsgBox(win32::vbOK);
        resutil::ResFile file;
        runWizard(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("case.xlsx"));
            QCOMPARE(ui.messageBoxes.size(), 1);
            QCOMPARE(ui.messageBoxes[0].prompt, QStringLiteral("The file does not contain a worksheet with the\r\n"
                                                               "same name as the Visual Basic project."));
            QCOMPARE(ui.messageBoxes[0].style, int(win32::vbExclamation));
            QCOMPARE(ui.messageBoxes[0].title, kTitle);
            QVERIFY(!form.cmdUseProjectName->isEnabled());
            QVERIFY(!form.cmdNext->isEnabled());
            QCOMPARE(form.cboWorksheetList->currentIndex(), -1);
            form.cboWorksheetList->setCurrentIndex(0);
            QVERIFY(form.cmdNext->isEnabled());
            // Going back and forth without a change keeps the step as it was.
            form.cmdBack->click();
            form.cmdNext->click();
            QCOMPARE(ui.messageBoxes.size(), 1);
            QCOMPARE(form.cboWorksheetList->currentText(), QStringLiteral("project1"));
            form.cmdCancel->click();
        });
        QVERIFY(ui.unexpected.isEmpty());
    }

    void importFileVanishedBeforeWorksheetStep()
    {
        writeBook(path("vanish.xlsx"), {{"Project1", exampleSheet()}});
        ScriptedInteraction ui;
        ui.answerMsgBox(win32::vbOK);
        resutil::ResFile file;
        runWizard(ui, file, [&](frmExcel &form) {
            form.optImport->click();
            form.cmdNext->click();
            form.txtFilename->setText(path("vanish.xlsx"));
            QVERIFY(form.cmdNext->isEnabled());
            QVERIFY(QFile::remove(path("vanish.xlsx")));
            form.SetStep(2);
            QCOMPARE(ui.messageBoxes.size(), 1);
            QCOMPARE(ui.messageBoxes[0].prompt, QStringLiteral("File does not exist."));
            QCOMPARE(ui.messageBoxes[0].style, int(win32::vbOKOnly));
            QCOMPARE(form.cboWorksheetList->count(), 0);
            QVERIFY(!form.cmdNext->isEnabled());
        });
    }

    void switchingDirectionPreparesTheWorksheetStepAgain()
    {
        writeBook(path("switch.xlsx"), {{"Project1", exampleSheet()}});
        ScriptedInteraction ui;
        resutil::ResFile file;
        runWizard(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("switch.xlsx"));
            QCOMPARE(form.cboWorksheetList->count(), 1);
            excel::Workbook *first = form.Transfer()->Workbook();
            form.cmdBack->click();
            form.cmdNext->click();
            QCOMPARE(form.Transfer()->Workbook(), first); // no second opening
            form.cmdBack->click();
            form.cmdBack->click();
            form.optExport->click();
            QVERIFY(!form.State().StepInitialised[2]);
            form.cmdNext->click();
            form.cmdNext->click();
            QCOMPARE(form.WorksheetBox(), form.cboWorksheetCombo);
            QVERIFY(!form.cboWorksheetCombo->isHidden());
            QVERIFY(form.cboWorksheetList->isHidden());
            QCOMPARE(form.cboWorksheetCombo->count(), 1);
            QVERIFY(form.Transfer()->Workbook() != first);
        });
    }

    // A failed export is reported with the cell; nothing looks finished.
    void exportFailureReportsTheCell()
    {
        QFile::remove(path("fail.xlsx"));
        ScriptedInteraction ui;
        QList<Report> reports;
        resutil::ResFile file;
        const QString tooLong(excel::MaxTextLength + 1, QLatin1Char('y'));
        fill(file.Strings(), {{2057, 1, "ok"}, {2057, 2, tooLong}});
        runWizard(
            ui, file,
            [&](frmExcel &form) {
                goToWorksheetStep(form, false, path("fail.xlsx"));
                form.cmdNext->click();
                form.cmdStart->click();
                QVERIFY(!form.cmdFinish->isEnabled());
                QVERIFY(form.pbaProgress->Caption().isEmpty());
                QCOMPARE(form.pbaProgress->bar()->text(), QStringLiteral("0%"));
                form.cmdCancel->click();
            },
            QString(), &reports, 1);
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].function, QStringLiteral("DoExport"));
        QCOMPARE(reports[0].details, QStringLiteral("Line=4, Column=2, Text=\"%1\"").arg(tooLong));
        QVERIFY(!QFileInfo::exists(path("fail.xlsx")));
        QVERIFY(ui.unexpected.isEmpty());
    }

    // A failed import is reported and leaves the strings exactly as they were.
    void importFailureKeepsTheStrings()
    {
        QList<SheetCell> sheet = exampleSheet();
        sheet.append({4, 1, Value("eleven")});
        sheet.append({2, 4, Value("Swedish")});
        sheet.append({3, 4, Value("Ja")});
        writeBook(path("bad.xlsx"), {{"Project1", sheet}});
        ScriptedInteraction ui;
        QList<Report> reports;
        resutil::ResFile file;
        const QList<Entry> before{{2057, 1, "keep"}, {1031, 1, "behalten"}};
        fill(file.Strings(), before);
        file.Strings().setChanged(false);
        const qint32 result = runWizard(
            ui, file,
            [&](frmExcel &form) {
                goToWorksheetStep(form, true, path("bad.xlsx"));
                form.cmdNext->click();
                form.cmdStart->click();
                QVERIFY(!form.cmdFinish->isEnabled());
                QCOMPARE(form.pbaProgress->bar()->text(), QStringLiteral("0%"));
                form.close();
            },
            QString(), &reports, 1);
        QCOMPARE(result, 1);
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].function, QStringLiteral("DoImport"));
        QVERIFY(reports[0].details.isEmpty());
        QVERIFY2(reports[0].description.contains(QStringLiteral("A4")), qPrintable(reports[0].description));
        QCOMPARE(entriesOf(file.Strings()), before);
        QVERIFY(!file.Changed());
    }

    // A workbook that holds more than one file may is listed, but the sheet
    // asked for is refused in the report, naming the limit; nothing changes.
    void importFromAnOversizedWorkbookIsRefused()
    {
        writeBook(path("huge.xlsx"), {{"Other", exampleSheet()}, {"Project1", exampleSheet()}});
        auto &limits = excel::backend::ReadLimits::current();
        const qint64 saved = limits.cells;
        limits.cells = 5;
        ScriptedInteraction ui;
        QList<Report> reports;
        resutil::ResFile file;
        const QList<Entry> before{{2057, 1, "keep"}};
        fill(file.Strings(), before);
        file.Strings().setChanged(false);
        runWizard(
            ui, file,
            [&](frmExcel &form) {
                goToWorksheetStep(form, true, path("huge.xlsx"));
                QCOMPARE(form.cboWorksheetList->count(), 2);
                QCOMPARE(form.cboWorksheetList->currentText(), QStringLiteral("Project1"));
                form.cmdNext->click();
                form.cmdStart->click();
                QVERIFY(!form.cmdFinish->isEnabled());
                form.close();
            },
            QString(), &reports, 1);
        limits.cells = saved;
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].function, QStringLiteral("DoImport"));
        QVERIFY2(reports[0].description.contains(QStringLiteral("more than 5 cells, the most one file may hold")),
                 qPrintable(reports[0].description));
        QCOMPARE(entriesOf(file.Strings()), before);
        QVERIFY(!file.Changed());
    }

    void importMessageForAnUnreadableLocale()
    {
        QList<SheetCell> sheet = exampleSheet();
        sheet.append({2, 4, Value("Swedish")});
        sheet.append({3, 4, Value("Ja")});
        writeBook(path("word.xlsx"), {{"Project1", sheet}});
        ScriptedInteraction ui;
        ui.answerMsgBox(win32::vbOK);
        resutil::ResFile file;
        runWizard(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("word.xlsx"));
            form.cmdNext->click();
            form.cmdStart->click();
            QCOMPARE(form.pbaProgress->Value(), form.pbaProgress->Max());
            form.cmdFinish->click();
        });
        QCOMPARE(ui.messageBoxes.size(), 1);
        QCOMPARE(ui.messageBoxes[0].prompt, QStringLiteral("Error reading Locale ID from cell:\r\nRow = 2\r\n"
                                                           "Column = 4\r\nThis language will not be imported."));
        QCOMPARE(ui.messageBoxes[0].style, int(win32::vbOKOnly));
        QCOMPARE(file.Strings().Count(), 4);
    }

    void brokenWorkbookIsReportedAndTheStepStaysUnprepared()
    {
        QFile broken(path("broken.xlsx"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("PK\x03\x04 this is no workbook");
        broken.close();
        ScriptedInteraction ui;
        QList<Report> reports;
        resutil::ResFile file;
        runWizard(
            ui, file,
            [&](frmExcel &form) {
                goToWorksheetStep(form, true, path("broken.xlsx"));
                QCOMPARE(form.State().CurrentStep, 2);
                QVERIFY(!form.State().StepInitialised[2]);
                QVERIFY(!form.cmdNext->isEnabled());
                form.cmdBack->click();
                form.cmdNext->click(); // prepared again: reported again
            },
            QString(), &reports, 2);
        QCOMPARE(reports.size(), 2);
        QCOMPARE(reports[0].function, QStringLiteral("frmExcel.InitStep"));
        QVERIFY(reports[0].details.isEmpty());
    }

    // Going back from a prepared step 2 to a file that cannot be read leaves
    // nothing of the first workbook for Start to write into.
    void failedWorksheetStepLeavesNoWorkbook()
    {
        writeBook(path("A.xlsx"), {{"Project1", exampleSheet()}});
        writeFile(path("B.xlsx"), "not a workbook");
        const QByteArray before = readFile(path("A.xlsx"));
        ScriptedInteraction ui;
        QList<Report> reports;
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "new"}});
        ui.answerMsgBox(win32::vbOK);
        runWizard(
            ui, file,
            [&](frmExcel &form) {
                goToWorksheetStep(form, false, path("A.xlsx"));
                QVERIFY(form.Transfer()->Workbook());
                form.cmdBack->click();
                form.txtFilename->setText(path("B.xlsx"));
                form.cmdNext->click();
                QCOMPARE(form.State().CurrentStep, 2);
                QVERIFY(!form.Transfer()->Workbook());
                QVERIFY(form.cboWorksheetCombo->currentText().isEmpty());
                QCOMPARE(form.cboWorksheetCombo->count(), 0);
                QVERIFY(!form.cmdNext->isEnabled());
                QVERIFY(!form.cmdUseProjectName->isEnabled());
                // A name typed into the unprepared step does not open the way to Start.
                form.cboWorksheetCombo->setEditText(QStringLiteral("Project1"));
                QVERIFY(!form.cmdNext->isEnabled());
                form.SetStep(3);
                form.cmdStart->click();
                QVERIFY(!form.cmdFinish->isEnabled());
                QVERIFY(form.pbaProgress->Caption() != QStringLiteral("Export complete"));
                form.cmdCancel->click();
            },
            QString(), &reports, 1);
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].function, QStringLiteral("frmExcel.InitStep"));
        // Start had no workbook to write into: told, and nothing written.
        QCOMPARE(ui.messageBoxes.size(), 1);
        QVERIFY2(ui.messageBoxes[0].prompt.startsWith(QStringLiteral("Nothing was written.\r\n")),
                 qPrintable(ui.messageBoxes[0].prompt));
        QCOMPARE(readFile(path("A.xlsx")), before);
    }

    // A name the format refuses is told and leaves no sheet behind.
    void refusedSheetNameAddsNothing()
    {
        writeBook(path("names.xlsx"), {{"Cover", {{1, 1, Value("cover")}}}});
        ScriptedInteraction ui;
        QList<Report> reports;
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "one"}});
        ui.answerMsgBox(win32::vbOK);
        runWizard(
            ui, file,
            [&](frmExcel &form) {
                goToWorksheetStep(form, false, path("names.xlsx"));
                form.cboWorksheetCombo->setEditText(QStringLiteral("a/b"));
                form.cmdNext->click();
                form.cmdStart->click();
                QVERIFY(!form.cmdFinish->isEnabled());
                form.cmdBack->click();
                form.cboWorksheetCombo->setEditText(QStringLiteral("Good"));
                form.cmdNext->click();
                form.cmdStart->click();
                QVERIFY(form.cmdFinish->isEnabled());
                form.cmdFinish->click();
            },
            QString(), &reports, 0);
        QVERIFY(reports.isEmpty());
        QCOMPARE(ui.messageBoxes.size(), 1);
        QVERIFY2(ui.messageBoxes[0].prompt.startsWith(QStringLiteral("Nothing was written.\r\n")),
                 qPrintable(ui.messageBoxes[0].prompt));
        QVERIFY2(ui.messageBoxes[0].prompt.contains(QStringLiteral("a/b")), qPrintable(ui.messageBoxes[0].prompt));
        QCOMPARE(ui.messageBoxes[0].style, int(win32::vbExclamation));
        auto app = startExcel();
        QM_OPEN_BOOK(book, *app, path("names.xlsx"));
        QStringList names;
        for (int i = 1; i <= book->Worksheets().Count(); ++i)
            names.append(book->Worksheets().Item(i).value()->Name());
        QCOMPARE(names, (QStringList{"Cover", "Good"}));
    }

    // A save that fails after every cell was written (a missing folder, a
    // folder in the file's place) is told plainly, shows no completion, and
    // Finish keeps the state it had before Start.
    void failedSaveShowsNoCompletion()
    {
        ScriptedInteraction ui;
        QList<Report> reports;
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "one"}, {2057, 2, "two"}});
        const QString book = path("saved.xlsx");
        QFile::remove(book);
        ui.answerMsgBox(win32::vbOK);
        ui.answerMsgBox(win32::vbOK);
        runWizard(
            ui, file,
            [&](frmExcel &form) {
                goToWorksheetStep(form, false, path("no/such/folder/book.xlsx"));
                form.cmdNext->click();
                form.cmdStart->click();
                QVERIFY(!form.cmdFinish->isEnabled());
                QVERIFY(form.pbaProgress->Caption().isEmpty());
                QCOMPARE(form.pbaProgress->bar()->text(), QStringLiteral("0%"));

                form.cmdBack->click();
                form.cmdBack->click();
                form.txtFilename->setText(book);
                form.cmdNext->click();
                form.cmdNext->click();
                form.cmdStart->click();
                QVERIFY(form.cmdFinish->isEnabled());
                // The file's name is now taken by a folder: the second save fails.
                QVERIFY(QFile::remove(book));
                QVERIFY(QDir().mkdir(book));
                form.cmdStart->click();
                QVERIFY(form.cmdFinish->isEnabled());
                QVERIFY(form.pbaProgress->Caption().isEmpty());
                QCOMPARE(form.pbaProgress->bar()->text(), QStringLiteral("0%"));
                form.cmdCancel->click();
            },
            QString(), &reports, 0);
        QVERIFY(reports.isEmpty());
        QCOMPARE(ui.messageBoxes.size(), 2);
        for (const auto &told : std::as_const(ui.messageBoxes)) {
            QVERIFY2(told.prompt.startsWith(QStringLiteral("Nothing was written.\r\n")), qPrintable(told.prompt));
            QCOMPARE(told.style, int(win32::vbExclamation));
        }
        QVERIFY(QDir().rmdir(book));
    }

    // The worksheet step says at once when the chosen format cannot hold the table.
    void exportLimitsCheckedInTheWorksheetStep_data()
    {
        QTest::addColumn<int>("ids");
        QTest::addColumn<int>("languages");
        QTest::addColumn<bool>("existingBook");
        QTest::addColumn<QString>("message");
        QTest::newRow("rows, new .xls")
            << 65535 << 1 << false
            << "The table has 65537 rows and 2 columns, but a worksheet of an .xls file holds at most 65536 rows "
               "and 256 columns.\r\nAn .xlsx file holds up to 1048576 rows and 16384 columns: choose a file name "
               "ending in .xlsx.";
        QTest::newRow("columns, existing .xls")
            << 1 << 256 << true
            << "The table has 3 rows and 257 columns, but a worksheet of an .xls file holds at most 65536 rows and "
               "256 columns.\r\nAn .xlsx file holds up to 1048576 rows and 16384 columns: choose a file name ending "
               "in .xlsx.";
    }
    void exportLimitsCheckedInTheWorksheetStep()
    {
        QFETCH(int, ids);
        QFETCH(int, languages);
        QFETCH(bool, existingBook);
        QFETCH(QString, message);
        const QString xls = path(existingBook ? "small.xls" : "limits.xls");
        QFile::remove(xls);
        if (existingBook)
            writeBook(xls, {{"Other", {{1, 1, Value("x")}}}});
        ScriptedInteraction ui;
        ui.answerMsgBox(win32::vbOK);
        resutil::ResFile file;
        file.Strings().reserve(qsizetype(ids) * languages);
        for (int language = 0; language < languages; ++language)
            for (int id = 0; id < ids; ++id)
                file.Strings().Add(1000 + language, id, QStringLiteral("t"));
        runWizard(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, false, xls);
            QCOMPARE(ui.messageBoxes.size(), 1);
            QCOMPARE(ui.messageBoxes[0].prompt, message);
            QCOMPARE(ui.messageBoxes[0].style, int(win32::vbExclamation));
            QCOMPARE(ui.messageBoxes[0].title, kTitle);
            QCOMPARE(form.cboWorksheetCombo->currentText(), QStringLiteral("Project1"));
            QVERIFY(!form.cmdNext->isEnabled());
            form.cmdUseProjectName->click();
            QVERIFY(!form.cmdNext->isEnabled());
            // The format that holds it.
            form.cmdBack->click();
            form.txtFilename->setText(path("limits.xlsx"));
            form.cmdNext->click();
            QCOMPARE(ui.messageBoxes.size(), 1);
            QVERIFY(form.cmdNext->isEnabled());
            form.cmdCancel->click();
        });
        QVERIFY(ui.unexpected.isEmpty());
    }

    void closingKeepsTheResult()
    {
        writeBook(path("close.xlsx"), {{"Project1", exampleSheet()}});
        ScriptedInteraction ui;
        resutil::ResFile file;
        const qint32 result = runWizard(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("close.xlsx"));
            form.cmdNext->click();
            form.cmdStart->click();
            form.close(); // the title bar's close box
        });
        QCOMPARE(result, 1);
        ScriptedInteraction again;
        QCOMPARE(runWizard(again, file, [](frmExcel &form) { form.close(); }), 2);
    }

    void accessibility()
    {
        ScriptedInteraction ui;
        resutil::ResFile file;
        runWizard(ui, file, [](frmExcel &form) {
            QVERIFY(!form.accessibleName().isEmpty());
            for (QWidget *widget : form.findChildren<QWidget *>()) {
                if (widget->objectName().startsWith(QLatin1String("qt_")) || !widget->parent()
                    || widget->objectName().isEmpty())
                    continue;
                if (qobject_cast<QPushButton *>(widget) || qobject_cast<QRadioButton *>(widget)
                    || qobject_cast<QLineEdit *>(widget) || qobject_cast<QComboBox *>(widget)
                    || widget == form.pbaProgress)
                    QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
            }
        });
    }
};

QTEST_MAIN(FrmExcelTest)
#include "frmexcel_test.moc"
