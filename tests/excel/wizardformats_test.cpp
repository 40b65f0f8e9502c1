#include "WizardTestSupport.h"

#include "excel/CaptionedProgressBar.h"
#include "exchange/Exchange.h"
#include "platform/runtime/RuntimeSupport.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace wizardtest;
using win32::ScriptedInteraction;

namespace {

const QString kTitle = QStringLiteral("Quill Resource String Editor");

// Every language has a text for every ID, so a table format gives back
// exactly these entries (an empty cell would come back as an empty text).
QList<Entry> sourceTable()
{
    const QStringList texts{QStringLiteral("Yes"),
                            QStringLiteral("=Total"),
                            QStringLiteral("007"),
                            QStringLiteral("1/2"),
                            QStringLiteral("TRUE"),
                            QStringLiteral("'quoted"),
                            QStringLiteral("line 1\r\nline 2"),
                            QStringLiteral("tab\there, \"quotes\"; and a comma"),
                            QStringLiteral("\\n is no escape %1"),
                            QStringLiteral(" spaces around "),
                            QStringLiteral("Smile \U0001F600 Ω ж 中文 עברית")};
    QList<Entry> entries;
    for (qint32 locale : {2057, 1031, 1036})
        for (qsizetype i = 0; i < texts.size(); ++i)
            entries.append({locale, qint32(i + 1), texts[i] + QStringLiteral(" [%1]").arg(locale)});
    return entries;
}

QList<Entry> sorted(QList<Entry> entries)
{
    std::sort(entries.begin(), entries.end());
    return entries;
}

QStringList itemsOf(const QComboBox &box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemData(i).toString();
    return items;
}

} // namespace

// The wizard's file step takes every format the extension names; the third
// step offers what the format has (sheets, languages or nothing), and the
// transfers keep the workbook flow's guarantees.
class WizardFormatsTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    qint32 run(ScriptedInteraction &ui, resutil::ResFile &file, const std::function<void(frmExcel &)> &drive,
               qint32 sourceLocale = 2057, const QString &projectName = QStringLiteral("Project1"))
    {
        ui.answerDialog([&drive](QDialog &dialog) {
            drive(dynamic_cast<frmExcel &>(dialog));
            return int(QDialog::Accepted);
        });
        return frmExcel::ShowExcelDialog(projectName, m_dir.path(), file, sourceLocale);
    }

    // Start on step 3, then Finish; true when the run completed.
    static bool startAndFinish(frmExcel &form)
    {
        form.cmdNext->click();
        if (form.State().CurrentStep != 3)
            return false;
        form.cmdStart->click();
        const bool completed = form.cmdFinish->isEnabled();
        form.cmdFinish->click();
        return completed;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LgvStringModule::setCurrentUILanguage(2057);
    }
    void init() { LgvStringModule::setCurrentUILanguage(2057); }

    // Out through the wizard and back in: the strings are the source's.
    void tableFormatsRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("sheets");
        QTest::addColumn<QString>("note");
        QTest::newRow("ods") << "trip.ods" << true << "";
        QTest::newRow("csv") << "trip.csv" << false
                             << "A .csv file holds a single table and no worksheets: there is nothing to choose here.";
        QTest::newRow("tsv") << "trip.tsv" << false
                             << "A .tsv file holds a single table and no worksheets: there is nothing to choose here.";
        QTest::newRow("txt") << "trip.TXT" << false
                             << "A .txt file holds a single table and no worksheets: there is nothing to choose here.";
        QTest::newRow("rc") << "trip.rc" << false
                            << "A resource script holds the string tables of every language and no worksheets: "
                               "there is nothing to choose here.";
    }
    void tableFormatsRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(bool, sheets);
        QFETCH(QString, note);
        QFile::remove(path(name));
        ScriptedInteraction ui;
        resutil::ResFile source;
        fill(source.Strings(), sourceTable());
        const qint32 exported = run(ui, source, [&](frmExcel &form) {
            goToWorksheetStep(form, false, path(name));
            QCOMPARE(form.State().CurrentStep, 2);
            QCOMPARE(form.fraWorksheet->isHidden(), !sheets);
            QVERIFY(form.fraLanguages->isHidden());
            QCOMPARE(form.lblSheetNote->isHidden(), note.isEmpty());
            QCOMPARE(form.lblSheetNote->text(), note);
            QCOMPARE(form.lblSubtitle[2]->text(), sheets ? QStringLiteral("Select worksheet")
                                                         : QStringLiteral("No worksheet to choose"));
            if (sheets)
                QCOMPARE(form.cboWorksheetCombo->currentText(), QStringLiteral("Project1"));
            QVERIFY(form.cmdNext->isEnabled());
            QVERIFY(startAndFinish(form));
        });
        QCOMPARE(exported, 2);
        QVERIFY(QFileInfo::exists(path(name)));
        QCOMPARE(entriesOf(source.Strings()), sourceTable()); // the export only reads

        resutil::ResFile target;
        fill(target.Strings(), {{1049, 99, "gone"}});
        target.Strings().setChanged(false);
        const qint32 imported = run(ui, target, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path(name));
            if (sheets)
                QCOMPARE(form.cboWorksheetList->currentText(), QStringLiteral("Project1"));
            QVERIFY(form.cmdNext->isEnabled());
            QVERIFY(startAndFinish(form));
            QCOMPARE(form.pbaProgress->Caption(), QStringLiteral("Import complete"));
        });
        QCOMPARE(imported, 1);
        QCOMPARE(sorted(entriesOf(target.Strings())), sorted(sourceTable()));
        QVERIFY(target.Changed());
        QVERIFY(ui.messageBoxes.isEmpty());
        QVERIFY2(ui.unexpected.isEmpty(), qPrintable(ui.unexpected.join('\n')));
    }

    // An .ods file lists its sheets as a workbook does: the export replaces or
    // adds one sheet and keeps the others, the import finds the project's.
    void odsSheetsAreListed()
    {
        const QString ods = path("sheets.ods");
        QFile::remove(ods);
        ScriptedInteraction ui;
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "one"}});
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, false, ods);
            QVERIFY(form.State().FileMissing);
            form.cboWorksheetCombo->setEditText(QStringLiteral("Cover"));
            QVERIFY(startAndFinish(form));
        });
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, false, ods);
            QCOMPARE(form.cboWorksheetCombo->count(), 1);
            QCOMPARE(form.cboWorksheetCombo->itemText(0), QStringLiteral("Cover"));
            QCOMPARE(form.cboWorksheetCombo->currentText(), QStringLiteral("Project1"));
            QVERIFY(startAndFinish(form));
        });
        QCOMPARE(exchange::odsSheetNames(ods).value(), (QStringList{"Cover", "Project1"}));

        // A sheet named unlike the project: the workbooks' message, and the user picks.
        resutil::ResFile target;
        ui.answerMsgBox(win32::vbOK);
        run(
            ui, target,
            [&](frmExcel &form) {
                goToWorksheetStep(form, true, ods);
                QCOMPARE(ui.messageBoxes.size(), 1);
                QCOMPARE(ui.messageBoxes[0].prompt, QStringLiteral("The file does not contain a worksheet with the\r\n"
                                                                   "same name as the Visual Basic project."));
                QVERIFY(!form.cmdNext->isEnabled());
                form.cboWorksheetList->setCurrentIndex(1);
                QVERIFY(startAndFinish(form));
            },
            2057, QStringLiteral("Other"));
        QCOMPARE(entriesOf(target.Strings()), (QList<Entry>{{2057, 1, "one"}}));
        QVERIFY2(ui.unexpected.isEmpty(), qPrintable(ui.unexpected.join('\n')));
    }

    // XLIFF and PO carry one target language, asked for in the third step;
    // the import takes the file's own language by default and merges it.
    void translatorFormats_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::newRow("po") << "trip.po" << int(exchange::Format::Po);
        QTest::newRow("xliff") << "trip.xlf" << int(exchange::Format::Xliff2);
    }
    void translatorFormats()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        const QString file = path(name);
        QFile::remove(file);
        ScriptedInteraction ui;
        resutil::ResFile source;
        fill(source.Strings(), sourceTable());
        run(ui, source, [&](frmExcel &form) {
            goToWorksheetStep(form, false, file);
            QVERIFY(form.fraWorksheet->isHidden());
            QVERIFY(!form.fraLanguages->isHidden());
            QVERIFY(!form.cboSourceLanguage->isHidden());
            QCOMPARE(form.lblSubtitle[2]->text(), QStringLiteral("Select the languages"));
            QCOMPARE(form.cboSourceLanguage->currentData().toInt(), 2057);
            // The project's languages but the source; the user chooses.
            QCOMPARE(itemsOf(*form.cboTargetLanguage), (QStringList{"1031", "1036"}));
            QCOMPARE(form.cboTargetLanguage->currentIndex(), -1);
            QVERIFY(!form.cmdNext->isEnabled());
            form.cboTargetLanguage->setCurrentIndex(1);
            QVERIFY(form.cmdNext->isEnabled());
            // Another source takes its language out of the targets.
            form.cboSourceLanguage->setCurrentIndex(form.cboSourceLanguage->findData(1036));
            QCOMPARE(itemsOf(*form.cboTargetLanguage), (QStringList{"2057", "1031"}));
            QVERIFY(!form.cmdNext->isEnabled());
            form.cboSourceLanguage->setCurrentIndex(form.cboSourceLanguage->findData(2057));
            form.cboTargetLanguage->setCurrentIndex(form.cboTargetLanguage->findData(1031));
            QVERIFY(startAndFinish(form));
            QCOMPARE(form.pbaProgress->Caption(), QStringLiteral("Export complete"));
        });
        QCOMPARE(exchange::translationTarget(file, exchange::Format(format)).value(), 1031);

        // The German texts were changed and one lost; the file brings them back.
        resutil::ResFile target;
        QList<Entry> changed;
        for (const Entry &e : sourceTable()) {
            if (std::get<0>(e) != 1031)
                changed.append(e);
            else if (std::get<1>(e) != 3)
                changed.append({1031, std::get<1>(e), QStringLiteral("alt")});
        }
        fill(target.Strings(), changed);
        const qint32 result = run(ui, target, [&](frmExcel &form) {
            goToWorksheetStep(form, true, file);
            QVERIFY(form.cboSourceLanguage->isHidden()); // the import does not use it
            QCOMPARE(form.cboTargetLanguage->currentData().toInt(), 1031);
            QCOMPARE(itemsOf(*form.cboTargetLanguage), (QStringList{"1031", "2057", "1036"}));
            QVERIFY(form.lblSheetNote->isHidden());
            QVERIFY(startAndFinish(form));
        });
        QCOMPARE(result, 1);
        QCOMPARE(sorted(entriesOf(target.Strings())), sorted(sourceTable()));
        // The translated language keeps its column.
        QCOMPARE(target.Strings().Languages(), (QList<qint32>{2057, 1031, 1036}));
        QVERIFY(ui.messageBoxes.isEmpty());
        QVERIFY2(ui.unexpected.isEmpty(), qPrintable(ui.unexpected.join('\n')));
    }

    // The source language comes from the caller (the project's setting).
    void translatorSourceIsTheProjectsSetting()
    {
        ScriptedInteraction ui;
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "Open"}, {1031, 1, "Öffnen"}});
        run(
            ui, file,
            [&](frmExcel &form) {
                goToWorksheetStep(form, false, path("source.po"));
                QCOMPARE(form.cboSourceLanguage->currentData().toInt(), 1031);
                // The one language left is chosen at once.
                QCOMPARE(form.cboTargetLanguage->currentData().toInt(), 2057);
                QVERIFY(form.cmdNext->isEnabled());
                form.cmdCancel->click();
            },
            1031);

        // A project with its source language only has nothing to translate into.
        resutil::ResFile single;
        fill(single.Strings(), {{2057, 1, "Open"}});
        run(ui, single, [&](frmExcel &form) {
            goToWorksheetStep(form, false, path("single.po"));
            QCOMPARE(form.cboTargetLanguage->count(), 0);
            QVERIFY(!form.lblSheetNote->isHidden());
            QVERIFY(form.lblSheetNote->text().startsWith(QStringLiteral("The project has no language besides")));
            QVERIFY(!form.cmdNext->isEnabled());
            form.cmdCancel->click();
        });
        QVERIFY(!QFileInfo::exists(path("source.po")));
    }

    // A PO file that names no language: the user says which it is.
    void translatorFileWithoutALanguage()
    {
        writeFile(path("bare.po"), "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                                   "msgctxt \"1\"\nmsgid \"Open\"\nmsgstr \"Ouvrir\"\n");
        ScriptedInteraction ui;
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "Open"}, {1036, 1, "old"}});
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("bare.po"));
            QCOMPARE(form.cboTargetLanguage->currentIndex(), -1);
            QCOMPARE(form.lblSheetNote->text(),
                     QStringLiteral("The file does not name a known language: choose the language of its translations."));
            QVERIFY(!form.cmdNext->isEnabled());
            form.cboTargetLanguage->setCurrentIndex(form.cboTargetLanguage->findData(1036));
            QVERIFY(startAndFinish(form));
        });
        QCOMPARE(sorted(entriesOf(file.Strings())), sorted({{2057, 1, "Open"}, {1036, 1, "Ouvrir"}}));
    }

    // A name whose extension names no format goes no further than the file
    // step, in either direction, with a message in the user's language.
    void unknownExtensionIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        const QString english = QStringLiteral(
            "The file name %1 does not end in an extension of a known format. Choose a name ending in .xlsx, .xls, "
            ".ods, .csv, .tsv, .txt, .rc, .xlf, .xliff or .po.");
        QTest::newRow("pdf") << "out.pdf" << 2057 << english;
        QTest::newRow("none") << "Project1" << 2057 << english;
        QTest::newRow("German") << "out.docx" << 1031
                                << QStringLiteral("Der Dateiname %1 endet nicht auf die Endung eines bekannten Formats. "
                                                  "Wählen Sie einen Namen mit der Endung .xlsx, .xls, .ods, .csv, "
                                                  ".tsv, .txt, .rc, .xlf, .xliff oder .po.");
    }
    void unknownExtensionIsRefused()
    {
        QFETCH(QString, name);
        QFETCH(int, language);
        QFETCH(QString, message);
        const QString file = path(name);
        writeFile(path("import." + QFileInfo(name).suffix()), "x");
        ScriptedInteraction ui;
        for (int i = 0; i < 3; ++i)
            ui.answerMsgBox(win32::vbOK);
        resutil::ResFile strings;
        fill(strings.Strings(), {{2057, 1, "one"}});
        run(ui, strings, [&](frmExcel &form) {
            LgvRuntime::RuntimeSupport().SetLanguage(language, QString());
            form.optExport->click();
            form.cmdNext->click();
            form.txtFilename->setText(file);
            QVERIFY(form.cmdNext->isEnabled()); // Next says why, rather than doing nothing
            form.cmdNext->click();
            QCOMPARE(form.State().CurrentStep, 1);
            // Nor does the third step take it when shown directly.
            form.SetStep(2);
            QVERIFY(!form.State().StepInitialised[2]);
            QVERIFY(!form.cmdNext->isEnabled());
            // An existing file of that kind is no better for an import.
            form.cmdBack->click();
            form.cmdBack->click();
            form.optImport->click();
            form.cmdNext->click();
            form.txtFilename->setText(path("import." + QFileInfo(name).suffix()));
            form.cmdNext->click();
            QCOMPARE(form.State().CurrentStep, 1);
            form.cmdCancel->click();
        });
        LgvRuntime::RuntimeSupport().SetLanguage(2057, QString());
        QCOMPARE(ui.messageBoxes.size(), 3);
        QCOMPARE(ui.messageBoxes[0].prompt, message.arg(file));
        QCOMPARE(ui.messageBoxes[0].style, int(win32::vbExclamation));
        QCOMPARE(ui.messageBoxes[0].title, kTitle);
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY2(ui.unexpected.isEmpty(), qPrintable(ui.unexpected.join('\n')));
    }

    // What a format cannot hold, or a broken file, is refused with the
    // exchange layer's message before anything is written or changed.
    void refusalsChangeNothing()
    {
        ScriptedInteraction ui;
        for (int i = 0; i < 4; ++i)
            ui.answerMsgBox(win32::vbOK);
        resutil::ResFile file;
        const QList<Entry> before{{2057, 1, "Open"}, {1031, 1, QStringLiteral("nul ") + QChar(0) + QStringLiteral(" inside")}};
        fill(file.Strings(), before);
        file.Strings().setChanged(false);
        // PO cannot carry a NUL character.
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, false, path("nul.po"));
            form.cboTargetLanguage->setCurrentIndex(0);
            QVERIFY(!startAndFinish(form));
            QVERIFY(form.pbaProgress->Caption().isEmpty());
            QCOMPARE(form.pbaProgress->bar()->text(), QStringLiteral("0%"));
        });
        QVERIFY(!QFileInfo::exists(path("nul.po")));
        // A CSV whose string ID is a word: found at Start.
        writeFile(path("broken.csv"), ",English\n,2057\neleven,Yes\n");
        const qint32 result = run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("broken.csv"));
            QVERIFY(!startAndFinish(form));
            form.cmdCancel->click();
        });
        QCOMPARE(result, 1); // an import was started, as for workbooks
        // A broken PO and a broken .ods: found in the third step, which stays unprepared.
        writeFile(path("broken.po"), "msgid \"unclosed\n");
        writeFile(path("broken.ods"), "PK\x03\x04 no spreadsheet");
        for (const char *name : {"broken.po", "broken.ods"})
            run(ui, file, [&](frmExcel &form) {
                goToWorksheetStep(form, true, path(QString::fromLatin1(name)));
                QCOMPARE(form.State().CurrentStep, 2);
                QVERIFY(!form.State().StepInitialised[2]);
                QVERIFY(!form.cmdNext->isEnabled());
                form.cmdCancel->click();
            });
        QCOMPARE(entriesOf(file.Strings()), before);
        QVERIFY(!file.Changed());
        QCOMPARE(ui.messageBoxes.size(), 4);
        QVERIFY2(ui.messageBoxes[0].prompt.startsWith(QStringLiteral("Nothing was written.\r\n")),
                 qPrintable(ui.messageBoxes[0].prompt));
        QVERIFY2(ui.messageBoxes[0].prompt.contains(QStringLiteral("nul.po")), qPrintable(ui.messageBoxes[0].prompt));
        QVERIFY2(ui.messageBoxes[1].prompt.startsWith(QStringLiteral("Nothing was imported: the strings are as they "
                                                                     "were.\r\n")),
                 qPrintable(ui.messageBoxes[1].prompt));
        QVERIFY2(ui.messageBoxes[1].prompt.contains(QStringLiteral("broken.csv")), qPrintable(ui.messageBoxes[1].prompt));
        for (int i : {2, 3}) {
            QVERIFY2(ui.messageBoxes[i].prompt.endsWith(QStringLiteral("\r\nChoose another file.")),
                     qPrintable(ui.messageBoxes[i].prompt));
            QCOMPARE(ui.messageBoxes[i].style, int(win32::vbExclamation));
        }
        QVERIFY2(ui.unexpected.isEmpty(), qPrintable(ui.unexpected.join('\n')));
    }

    // An export onto an existing file that is not a spreadsheet replaces it:
    // the wizard asks first, for a typed name at Next, for a chosen one at
    // Browse, and at Start for one that appeared since. No keeps every byte.
    void anExistingFileIsReplacedOnlyWhenTheUserAgrees_data()
    {
        const QString replace = QStringLiteral("The file %1 already exists. Replace it with the exported strings?");
        const QString tables = QStringLiteral("The script %1 already exists. Replace its string tables with the "
                                              "exported strings? Its other resources and lines are kept.");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("asked");
        QTest::newRow("text") << "ReadMe.txt" << replace;
        QTest::newRow("CSV") << "Table.csv" << replace;
        QTest::newRow("resource script") << "Strings.rc" << tables;
    }
    void anExistingFileIsReplacedOnlyWhenTheUserAgrees()
    {
        QFETCH(QString, name);
        QFETCH(QString, asked);
        const QString target = path(name);
        const QByteArray readMe = "Read me first.\n";
        writeFile(target, readMe);
        ScriptedInteraction ui;
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "Open"}});
        const QString question = asked.arg(QDir::toNativeSeparators(target));

        ui.answerMsgBox(win32::vbNo);
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, false, target);
            QCOMPARE(form.State().CurrentStep, 1);
            form.cmdCancel->click();
        });
        QCOMPARE(readFile(target), readMe);
        QCOMPARE(ui.messageBoxes.size(), 1);
        QCOMPARE(ui.messageBoxes[0].prompt, question);
        QCOMPARE(ui.messageBoxes[0].style, win32::vbYesNo | win32::vbExclamation | win32::vbDefaultButton2);

        // Browse: No keeps the name there was, Yes takes the file and is not asked again.
        ui.answerFileDialog(target);
        ui.answerMsgBox(win32::vbNo);
        ui.answerFileDialog(target);
        ui.answerMsgBox(win32::vbYes);
        run(ui, file, [&](frmExcel &form) {
            form.optExport->click();
            form.cmdNext->click();
            const QString proposed = form.txtFilename->text();
            form.cmdBrowse->click();
            QCOMPARE(form.txtFilename->text(), proposed);
            form.cmdBrowse->click();
            QCOMPARE(form.txtFilename->text(), target);
            form.cmdNext->click();
            QCOMPARE(form.State().CurrentStep, 2);
            QVERIFY(startAndFinish(form));
        });
        QCOMPARE(ui.messageBoxes.size(), 3);
        QVERIFY(readFile(target) != readMe);

        // A file that appears after the file step: Start asks, and No writes nothing.
        QVERIFY(QFile::remove(target));
        ui.answerMsgBox(win32::vbNo);
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, false, target);
            QCOMPARE(form.State().CurrentStep, 2);
            writeFile(target, readMe);
            QVERIFY(!startAndFinish(form));
        });
        QCOMPARE(ui.messageBoxes.size(), 4);
        QCOMPARE(ui.messageBoxes[3].prompt, question);
        QCOMPARE(readFile(target), readMe);
        QVERIFY2(ui.unexpected.isEmpty(), qPrintable(ui.unexpected.join('\n')));
    }

    // A short last row gives empty cells, and a file the separator guess
    // finds no table in is refused: neither empties the grid.
    void raggedTablesKeepTheStrings()
    {
        ScriptedInteraction ui;
        ui.answerMsgBox(win32::vbOK);
        resutil::ResFile file;
        const QList<Entry> before{{1033, 1, "old"}, {1033, 3, "three"}, {1031, 2, "alt"}};
        fill(file.Strings(), before);
        file.Strings().setChanged(false);
        writeFile(path("single.csv"), "1\r\n2\r\n3\r\n");
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("single.csv"));
            QVERIFY(!startAndFinish(form));
            form.cmdCancel->click();
        });
        QCOMPARE(entriesOf(file.Strings()), before);
        QCOMPARE(ui.messageBoxes.size(), 1);
        QVERIFY2(ui.messageBoxes[0].prompt.contains(QStringLiteral("holds no string")), qPrintable(ui.messageBoxes[0].prompt));

        writeFile(path("ragged.csv"), ",English (United States),German (Germany)\r\n,1033,1031\r\n1,hello,hallo\r\n2,world\r\n");
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("ragged.csv"));
            QVERIFY(startAndFinish(form));
        });
        QCOMPARE(entriesOf(file.Strings()),
                 (QList<Entry>{{1033, 1, "hello"}, {1033, 2, "world"}, {1031, 1, "hallo"}, {1031, 2, ""}}));
        QVERIFY2(ui.unexpected.isEmpty(), qPrintable(ui.unexpected.join('\n')));
    }

    // The import's notes (units the project does not know) are shown once, at the end.
    void importNotesAreShown()
    {
        writeFile(path("notes.po"), "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\nLanguage: de_DE\\n\"\n\n"
                                    "msgctxt \"1\"\nmsgid \"Open\"\nmsgstr \"Öffnen\"\n\n"
                                    "msgctxt \"77\"\nmsgid \"Unknown\"\nmsgstr \"Unbekannt\"\n");
        ScriptedInteraction ui;
        ui.answerMsgBox(win32::vbOK);
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "Open"}});
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("notes.po"));
            QVERIFY(startAndFinish(form));
        });
        QCOMPARE(sorted(entriesOf(file.Strings())), sorted({{2057, 1, "Open"}, {1031, 1, QStringLiteral("Öffnen")}}));
        QCOMPARE(ui.messageBoxes.size(), 1);
        QVERIFY2(ui.messageBoxes[0].prompt.startsWith(QStringLiteral("Notes on the import:\r\n")),
                 qPrintable(ui.messageBoxes[0].prompt));
        QVERIFY2(ui.messageBoxes[0].prompt.contains(QStringLiteral("77")), qPrintable(ui.messageBoxes[0].prompt));
        QCOMPARE(ui.messageBoxes[0].style, int(win32::vbOKOnly));
    }

    // In German the libraries' refusals and notes read German, and keep the file and line.
    void germanMessagesKeepFileAndLine()
    {
        LgvStringModule::setCurrentUILanguage(1031);
        writeFile(path("kaputt.po"), "msgid \"unclosed\n");
        writeFile(path("notes.po"), "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\nLanguage: de_DE\\n\"\n\n"
                                    "msgctxt \"77\"\nmsgid \"Unknown\"\nmsgstr \"Unbekannt\"\n");
        ScriptedInteraction ui;
        ui.answerMsgBox(win32::vbOK);
        ui.answerMsgBox(win32::vbOK);
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "Open"}});
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("kaputt.po"));
            form.cmdCancel->click();
        });
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("notes.po"));
            QVERIFY(startAndFinish(form));
        });
        QCOMPARE(ui.messageBoxes.size(), 2);
        QCOMPARE(ui.messageBoxes[0].prompt, QDir::toNativeSeparators(path("kaputt.po"))
                                                + QStringLiteral(": Zeile 1: der String wird in seiner Zeile nicht "
                                                                 "geschlossen\r\nWählen Sie eine andere Datei."));
        static const QRegularExpression note(QStringLiteral("\nZeile \\d+: die Einheit \"77\" nennt keine String-ID der "
                                                            "Resourcedatei; sie wurde nicht importiert"));
        QVERIFY2(ui.messageBoxes[1].prompt.contains(note),
                 qPrintable(ui.messageBoxes[1].prompt));
        QVERIFY2(ui.unexpected.isEmpty(), qPrintable(ui.unexpected.join('\n')));
    }

    // A PO import offers to take the fuzzy entries; left unchecked, they are
    // left out and the notes count them. Other files do not offer it.
    void poImportOffersFuzzyEntries()
    {
        writeFile(path("fuzzy.po"), "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\nLanguage: de_DE\\n\"\n\n"
                                    "#, fuzzy\nmsgctxt \"1\"\nmsgid \"Open\"\nmsgstr \"Öffnen?\"\n\n"
                                    "msgctxt \"2\"\nmsgid \"Close\"\nmsgstr \"Schließen\"\n");
        for (const bool take : {false, true}) {
            ScriptedInteraction ui;
            if (!take)
                ui.answerMsgBox(win32::vbOK);
            resutil::ResFile file;
            fill(file.Strings(), {{2057, 1, "Open"}, {2057, 2, "Close"}, {1031, 1, "alt"}});
            run(ui, file, [&](frmExcel &form) {
                goToWorksheetStep(form, true, path("fuzzy.po"));
                QVERIFY(!form.chkUseFuzzy->isHidden());
                QCOMPARE(form.chkUseFuzzy->accessibleName(),
                         QStringLiteral("Also take fuzzy translations (those marked as still to be checked)"));
                QVERIFY(!form.chkUseFuzzy->isChecked());
                form.chkUseFuzzy->setChecked(take);
                QVERIFY(startAndFinish(form));
            });
            QCOMPARE(sorted(entriesOf(file.Strings())),
                     sorted({{2057, 1, "Open"}, {2057, 2, "Close"}, {1031, 1, take ? QStringLiteral("Öffnen?") : "alt"},
                             {1031, 2, QStringLiteral("Schließen")}}));
            QCOMPARE(ui.messageBoxes.size(), take ? 0 : 1);
            if (!take)
                QCOMPARE(ui.messageBoxes[0].prompt,
                         QStringLiteral("Notes on the import:\r\nline 5: 1 fuzzy entry (#, fuzzy) was not taken"));
            QVERIFY2(ui.unexpected.isEmpty(), qPrintable(ui.unexpected.join('\n')));
        }
        writeFile(path("nofuzzy.xlf"), "<xliff version=\"2.0\" srcLang=\"en-GB\" trgLang=\"de-DE\"><file id=\"f\">"
                                       "<unit id=\"1\"><segment><source>Open</source><target>Auf</target></segment></unit>"
                                       "</file></xliff>");
        ScriptedInteraction ui;
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "Open"}});
        run(ui, file, [&](frmExcel &form) {
            goToWorksheetStep(form, true, path("nofuzzy.xlf"));
            QVERIFY(!form.fraLanguages->isHidden());
            QVERIFY(form.chkUseFuzzy->isHidden());
            form.cmdCancel->click();
        });
    }

    // Cancel while an .ods export runs: the file is as it was.
    void stoppedExportLeavesTheFile()
    {
        const QString ods = path("keep.ods");
        QFile::remove(ods);
        ScriptedInteraction ui;
        resutil::ResFile small;
        fill(small.Strings(), {{2057, 1, "old"}});
        run(ui, small, [&](frmExcel &form) {
            goToWorksheetStep(form, false, ods);
            QVERIFY(startAndFinish(form));
        });
        const QByteArray before = readFile(ods);
        resutil::ResFile big;
        big.Strings().reserve(65536 * 4);
        for (qint32 locale : {2057, 1031, 1036, 1040})
            for (qint32 id = 0; id < 65536; ++id)
                big.Strings().Add(locale, id, QStringLiteral("text %1").arg(id));
        bool ended = false;
        const qint32 result = run(ui, big, [&](frmExcel &form) {
            form.show();
            goToWorksheetStep(form, false, ods);
            form.cmdNext->click();
            connect(form.pbaProgress->bar(), &QProgressBar::valueChanged, &form, [&] {
                if (!std::exchange(ended, true))
                    form.cmdCancel->click();
            });
            form.cmdStart->click();
            QVERIFY(form.isHidden());
        });
        QVERIFY(ended);
        QCOMPARE(result, 2);
        QCOMPARE(readFile(ods), before);
        QVERIFY2(ui.unexpected.isEmpty(), qPrintable(ui.unexpected.join('\n')));
        QVERIFY(ui.messageBoxes.isEmpty());
    }

    void newControlsAreNamedAndReachable()
    {
        ScriptedInteraction ui;
        resutil::ResFile file;
        fill(file.Strings(), {{2057, 1, "Open"}, {1031, 1, "Öffnen"}, {1036, 1, "Ouvrir"}});
        run(ui, file, [&](frmExcel &form) {
            form.show();
            form.activateWindow();
            QVERIFY(testlib::waitForActive(&form));
            goToWorksheetStep(form, false, path("keys.xlf"));
            QCOMPARE(form.cboTargetLanguage->accessibleName(), QStringLiteral("Target language"));
            QCOMPARE(form.cboSourceLanguage->accessibleName(), QStringLiteral("Source language"));
            QCOMPARE(form.lblTargetLanguage->buddy(), form.cboTargetLanguage);
            QCOMPARE(form.lblSourceLanguage->buddy(), form.cboSourceLanguage);
            QVERIFY(form.cboTargetLanguage->focusPolicy() & Qt::TabFocus);
            // Alt+T reaches the target, the keyboard chooses it, Enter goes on.
            QTest::keyClick(&form, Qt::Key_T, Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), form.cboTargetLanguage);
            QTest::keyClick(form.cboTargetLanguage, Qt::Key_Down);
            QVERIFY(form.cboTargetLanguage->currentIndex() >= 0);
            QVERIFY(form.cmdNext->isEnabled());
            LgvRuntime::RuntimeSupport().SetLanguage(1031, QString());
            QCOMPARE(form.lblTargetLanguage->text(), QStringLiteral("&Zielsprache:"));
            QCOMPARE(form.cboSourceLanguage->accessibleName(), QStringLiteral("Ausgangssprache"));
            QCOMPARE(form.lblSubtitle[2]->text(), QStringLiteral("Sprachen auswählen"));
            LgvRuntime::RuntimeSupport().SetLanguage(2057, QString());
            form.cmdCancel->click();
        });
    }
};

QTEST_MAIN(WizardFormatsTest)
#include "wizardformats_test.moc"
