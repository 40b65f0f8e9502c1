#include "TransferTestSupport.h"

#include "excel/SheetStep.h"
#include "excel/WizardState.h"
#include "excel/WizardTransfer.h"
#include "exchange/Exchange.h"
#include "platform/excel/model/Constants.h"
#include "platform/win32/Interaction.h"
#include "tests/testlib/TestEnvironment.h"

#include <QTemporaryDir>
#include <QtTest>

using excel::Value;
using namespace wizard;

Q_DECLARE_METATYPE(UiText)

namespace {

void writeBook(const QString &file, const QStringList &sheets)
{
    auto app = startExcel();
    excel::Workbook *book = app->Workbooks().Add(excel::xlWBATWorksheet).value();
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        excel::Worksheet *sheet = i == 0 ? book->ActiveSheet() : book->Worksheets().Add().value();
        QVERIFY(sheet->SetName(sheets[i]).ok());
        QVERIFY(sheet->Cells().Set(1, 1, Value(sheets[i])).ok());
    }
    QVERIFY(book->SaveAs(file).ok());
}

const QString kPoHeader = QStringLiteral("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n%1\"\n\n"
                                         "msgctxt \"1\"\nmsgid \"Open\"\nmsgstr \"Ouvrir\"\n");

} // namespace

// What the third step offers for each kind of file, prepared without a
// window: the sheets and the one chosen, the languages, the notes and the
// messages, and whether the step counts as prepared.
class SheetStepTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<WizardTransfer> m_transfer;
    resutil::ResStrings m_strings;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    WizardState state(TransferDirection direction, const QString &file) const
    {
        WizardState state;
        state.ProjectName = QStringLiteral("Project1");
        state.CurrentStep = 2;
        state.Direction = direction;
        state.FileName = file;
        return state;
    }

    SheetStep prepare(const WizardState &state, const resutil::ResStrings *strings = nullptr)
    {
        auto step = prepareSheetStep(state, *m_transfer, strings ? strings : &m_strings);
        if (!step)
            qFatal("the step was not prepared: %s", qPrintable(step.errorString()));
        return step.value();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        auto transfer = WizardTransfer::Start();
        QVERIFY2(transfer.ok(), qPrintable(transfer.errorString()));
        m_transfer = std::move(transfer).value();
        fill(m_strings, {{2057, 1, "Open"}, {1031, 1, "Öffnen"}, {1036, 1, "Ouvrir"}});
    }

    void importFindsTheProjectsSheet()
    {
        writeBook(path("found.xlsx"), {"Cover", "Project1", "Data"});
        const SheetStep step = prepare(state(TransferDirection::Import, path("found.xlsx")));
        QVERIFY(step.Prepared);
        QVERIFY(!step.FileMissing);
        QCOMPARE(step.SheetNames, (QStringList{"Cover", "Project1", "Data"}));
        QCOMPARE(step.SheetName, QStringLiteral("Project1"));
        QVERIFY(step.UseProjectName);
        QVERIFY(step.Messages.isEmpty());
        QVERIFY(!step.Note);
        QVERIFY(m_transfer->Workbook());
    }

    // A sheet named like the project but for the letter case is not its sheet.
    void importWithoutTheProjectsSheet()
    {
        writeBook(path("case.xls"), {"project1", "Other"});
        const SheetStep step = prepare(state(TransferDirection::Import, path("case.xls")));
        QVERIFY(step.Prepared);
        QCOMPARE(step.SheetNames, (QStringList{"project1", "Other"}));
        QVERIFY(step.SheetName.isEmpty());
        QVERIFY(!step.UseProjectName);
        QCOMPARE(step.Messages, (QList<UiMessage>{{{uiString(479), uiString(480)}, win32::vbExclamation}}));
    }

    // The file went between the file step and this one.
    void importOfAVanishedFile()
    {
        const SheetStep book = prepare(state(TransferDirection::Import, path("gone.xlsx")));
        QVERIFY(book.Prepared);
        QVERIFY(book.FileMissing);
        QVERIFY(book.SheetNames.isEmpty());
        QCOMPARE(book.Messages, (QList<UiMessage>{{{uiString(478)}, win32::vbOKOnly}}));
        // A file without sheets has nothing left to offer.
        const SheetStep csv = prepare(state(TransferDirection::Import, path("gone.csv")));
        QVERIFY(!csv.Prepared);
        QCOMPARE(csv.Messages, (QList<UiMessage>{{{uiString(478)}, win32::vbOKOnly}}));
    }

    void exportOffersTheProjectsName()
    {
        const SheetStep fresh = prepare(state(TransferDirection::Export, path("new.xlsx")));
        QVERIFY(fresh.Prepared);
        QVERIFY(fresh.FileMissing);
        QVERIFY(fresh.SheetNames.isEmpty());
        QCOMPARE(fresh.SheetName, QStringLiteral("Project1"));
        QVERIFY(fresh.UseProjectName);
        QVERIFY(fresh.TableFits);
        QVERIFY(fresh.Messages.isEmpty());
        QVERIFY(!m_transfer->Workbook());

        writeBook(path("existing.xlsx"), {"Other"});
        const SheetStep existing = prepare(state(TransferDirection::Export, path("existing.xlsx")));
        QCOMPARE(existing.SheetNames, QStringList{"Other"});
        QCOMPARE(existing.SheetName, QStringLiteral("Project1"));
    }

    // A table too large for the format is found before anything is written.
    void exportOfATableTooLargeForTheFormat()
    {
        resutil::ResStrings wide;
        for (qint32 locale = 0; locale < 256; ++locale)
            wide.Add(1000 + locale, 1, QStringLiteral("t"));
        const SheetStep xls = prepare(state(TransferDirection::Export, path("wide.xls")), &wide);
        QVERIFY(xls.Prepared);
        QVERIFY(!xls.TableFits);
        const QList<UiText> expected{uiString(570, {"3", "257", ".xls", "65536", "256"}),
                                     uiString(571, {".xlsx", "1048576", "16384"})};
        QCOMPARE(xls.Messages, (QList<UiMessage>{{expected, win32::vbExclamation}}));
        QVERIFY(prepare(state(TransferDirection::Export, path("wide.xlsx")), &wide).TableFits);
        // An import reads whatever the sheet holds.
        writeBook(path("wide.xls"), {"Project1"});
        QVERIFY(prepare(state(TransferDirection::Import, path("wide.xls")), &wide).Messages.isEmpty());
    }

    // A workbook that cannot be read is an error for the report, and leaves
    // no workbook of an earlier preparation behind.
    void brokenWorkbook()
    {
        writeBook(path("good.xlsx"), {"Project1"});
        prepare(state(TransferDirection::Export, path("good.xlsx")));
        QVERIFY(m_transfer->Workbook());
        writeFile(path("broken.xlsx"), "PK\x03\x04 this is no workbook");
        QVERIFY(!prepareSheetStep(state(TransferDirection::Export, path("broken.xlsx")), *m_transfer, &m_strings));
        QVERIFY(!m_transfer->Workbook());
        // Nor is there a step without a direction.
        QVERIFY(!prepareSheetStep(state(TransferDirection::None, path("good.xlsx")), *m_transfer, &m_strings));
    }

    void odsSheets()
    {
        const QString ods = path("sheets.ods");
        exchange::Options options;
        options.format = exchange::Format::Ods;
        options.sheetName = QStringLiteral("Project1");
        RecordingFeedback feedback;
        QVERIFY(exchange::exportFile(m_strings, ods, options, testLanguageName, feedback).ok());
        const SheetStep step = prepare(state(TransferDirection::Import, ods));
        QCOMPARE(step.SheetNames, QStringList{"Project1"});
        QCOMPARE(step.SheetName, QStringLiteral("Project1"));
        QVERIFY(!m_transfer->Workbook()); // read without the workbook back end

        writeFile(path("broken.ods"), "PK\x03\x04 no spreadsheet");
        const SheetStep broken = prepare(state(TransferDirection::Import, path("broken.ods")));
        QVERIFY(!broken.Prepared);
        QCOMPARE(broken.Messages.size(), 1);
        QCOMPARE(broken.Messages[0].lines.size(), 2);
        QVERIFY2(broken.Messages[0].lines[0].library.contains(QStringLiteral("broken.ods")),
                 qPrintable(broken.Messages[0].lines[0].library));
        QCOMPARE(broken.Messages[0].lines[1], uiString(811));
    }

    void filesWithoutSheets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<UiText>("note");
        QTest::newRow("csv") << "t.csv" << uiString(803, {"csv"});
        QTest::newRow("TSV") << "t.TSV" << uiString(803, {"tsv"});
        QTest::newRow("rc") << "t.rc" << uiString(804);
    }
    void filesWithoutSheets()
    {
        QFETCH(QString, name);
        QFETCH(UiText, note);
        const SheetStep step = prepare(state(TransferDirection::Export, path(name)));
        QVERIFY(step.Prepared);
        QCOMPARE(step.Note, std::optional(note));
        QVERIFY(step.SheetNames.isEmpty());
        QVERIFY(step.SheetName.isEmpty());
        QVERIFY(step.Messages.isEmpty());
    }

    void unknownExtension()
    {
        const SheetStep step = prepare(state(TransferDirection::Export, path("out.pdf")));
        QVERIFY(!step.Prepared);
        QVERIFY(!step.Format);
        QCOMPARE(step.Messages, (QList<UiMessage>{*fileNameRefusal(path("out.pdf"))}));
    }

    // The export asks for a source and a target: the project's source leads
    // when the project has no text in it; the targets are the others.
    void translatorExport()
    {
        WizardState exporting = state(TransferDirection::Export, path("out.po"));
        exporting.ProjectSourceLocale = 1031;
        SheetStep step = prepare(exporting);
        QVERIFY(step.Prepared);
        QVERIFY(step.OffersSource);
        QVERIFY(!step.OffersFuzzy);
        QCOMPARE(step.SourceLocales, (QList<qint32>{2057, 1031, 1036}));
        QCOMPARE(step.SourceLocale, 1031);
        QCOMPARE(step.TargetLocales, (QList<qint32>{2057, 1036}));
        QCOMPARE(step.TargetLocale, 0);

        exporting.ProjectSourceLocale = 1049;
        step = prepare(exporting);
        QCOMPARE(step.SourceLocales, (QList<qint32>{1049, 2057, 1031, 1036}));
        QCOMPARE(step.TargetLocales, (QList<qint32>{2057, 1031, 1036}));

        resutil::ResStrings single;
        fill(single, {{2057, 1, "Open"}});
        exporting.ProjectSourceLocale = 2057;
        step = prepare(exporting, &single);
        QVERIFY(step.TargetLocales.isEmpty());
        QCOMPARE(step.Note, std::optional(uiString(807)));
    }

    // The import takes the file's own language by default; a file that names
    // none asks for it, and one that cannot be read is refused.
    void translatorImport()
    {
        writeFile(path("named.po"), kPoHeader.arg(QStringLiteral("Language: fr_FR\\n")).toUtf8());
        SheetStep step = prepare(state(TransferDirection::Import, path("named.po")));
        QVERIFY(step.Prepared);
        QVERIFY(!step.OffersSource);
        QVERIFY(step.OffersFuzzy);
        QCOMPARE(step.TargetLocales, (QList<qint32>{1036, 2057, 1031}));
        QCOMPARE(step.TargetLocale, 1036);
        QVERIFY(!step.Note);

        writeFile(path("bare.po"), kPoHeader.arg(QString()).toUtf8());
        step = prepare(state(TransferDirection::Import, path("bare.po")));
        QVERIFY(step.Prepared);
        QCOMPARE(step.TargetLocales, (QList<qint32>{2057, 1031, 1036}));
        QCOMPARE(step.TargetLocale, 0);
        QCOMPARE(step.Note, std::optional(uiString(808)));

        writeFile(path("broken.xlf"), "<xliff version=\"2.0\"");
        step = prepare(state(TransferDirection::Import, path("broken.xlf")));
        QVERIFY(!step.Prepared);
        QVERIFY(!step.OffersFuzzy);
        QCOMPARE(step.Messages.size(), 1);
        QCOMPARE(step.Messages[0].style, int(win32::vbExclamation));
        QCOMPARE(step.Messages[0].lines.last(), uiString(811));
    }
};

QTEST_MAIN(SheetStepTest)
#include "sheetstep_test.moc"
