#include "TransferTestSupport.h"

#include "excel/SheetStep.h"
#include "excel/WizardState.h"
#include "excel/WizardTransfer.h"
#include "exchange/Exchange.h"
#include "reviewstate/ReviewStates.h"
#include "platform/excel/model/Constants.h"
#include "platform/win32/Interaction.h"
#include "tests/testlib/TestEnvironment.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using excel::Value;
using namespace wizard;

namespace {

std::unique_ptr<WizardTransfer> startTransfer()
{
    auto transfer = WizardTransfer::Start();
    if (!transfer)
        qFatal("the transfer does not start: %s", qPrintable(transfer.errorString()));
    return std::move(transfer).value();
}

QStringList sheetNames(const QString &file)
{
    auto app = startExcel();
    auto book = app->Workbooks().Open(file);
    return book ? book.value()->Worksheets().Names() : QStringList{book.errorString()};
}

} // namespace

// The wizard's transfer without a window: it holds the workbook the third
// step opened and runs Start's export and import from a copy of the state.
class WizardTransferTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // The state of a wizard whose third step was prepared for the file.
    static WizardState prepared(WizardTransfer &transfer, TransferDirection direction, const QString &file,
                                const resutil::ResStrings &strings, const QString &sheet = QStringLiteral("Project1"))
    {
        WizardState state;
        state.ProjectName = sheet;
        state.CurrentStep = 2;
        state.Direction = direction;
        state.FileName = file;
        auto step = prepareSheetStep(state, transfer, &strings);
        if (!step)
            qFatal("the step was not prepared: %s", qPrintable(step.errorString()));
        takeSheetStep(state, step.value());
        return state;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void backEndThatCannotStart()
    {
        qputenv("QM_EXCEL_UNAVAILABLE", "1");
        const auto transfer = WizardTransfer::Start();
        qunsetenv("QM_EXCEL_UNAVAILABLE");
        QVERIFY(!transfer);
    }

    // Out into a new workbook and back: each export of a name that did not
    // exist makes the workbook anew; the import gives the strings back.
    void exportAndImportAWorkbook()
    {
        const QString book = path("trip.xlsx");
        resutil::ResStrings strings;
        fill(strings, {{2057, 10, "Yes"}, {2057, 11, "=Total"}, {1031, 10, "Ja"}});
        auto transfer = startTransfer();
        WizardState state = prepared(*transfer, TransferDirection::Export, book, strings);
        QVERIFY(state.FileMissing);
        RecordingFeedback feedback;
        const qm::Status written = transfer->Export(state, strings, testLanguageName, feedback);
        QVERIFY2(written.ok(), qPrintable(written.errorString()));
        QVERIFY(transfer->FileMissing());
        QVERIFY(transfer->Workbook());
        QVERIFY(transfer->Worksheet());
        QCOMPARE(feedback.progressMaximum, 3);
        QVERIFY(transfer->Details().isEmpty());
        QCOMPARE(sheetNames(book), QStringList{"Project1"});

        resutil::ResStrings target;
        fill(target, {{1049, 99, "gone"}});
        WizardState importing = prepared(*transfer, TransferDirection::Import, book, target);
        auto imported = transfer->Import(importing, target, feedback);
        QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
        QCOMPARE(entriesOf(target), (QList<Entry>{{1049, 99, "gone"}})); // the read changes nothing
        QVERIFY(!completeImport(target, std::move(imported).value(), exchange::Format::Xlsx, feedback));
        QCOMPARE(entriesOf(target),
                 (QList<Entry>{{2057, 10, "Yes"}, {2057, 11, "=Total"}, {1031, 10, "Ja"}, {1031, 11, ""}}));
        QCOMPARE(feedback.captions.last(), QStringLiteral("Import complete"));
    }

    // A failed export names the cell; the sheet it added in memory does not
    // reach the file with the next export, which reads the file again.
    void failedExportLeavesNothingForTheNext()
    {
        const QString book = path("keep.xlsx");
        {
            auto app = startExcel();
            excel::Workbook *made = app->Workbooks().Add(excel::xlWBATWorksheet).value();
            QVERIFY(made->ActiveSheet()->SetName(QStringLiteral("Cover")).ok());
            QVERIFY(made->SaveAs(book).ok());
        }
        resutil::ResStrings bad;
        fill(bad, {{2057, 1, "ok"}, {2057, 2, QString(excel::MaxTextLength + 1, QLatin1Char('y'))}});
        auto transfer = startTransfer();
        WizardState state = prepared(*transfer, TransferDirection::Export, book, bad, QStringLiteral("Broken"));
        RecordingFeedback feedback;
        QVERIFY(!transfer->Export(state, bad, testLanguageName, feedback));
        QVERIFY2(transfer->Details().startsWith(QStringLiteral("Line=4, Column=2, Text=\"yyy")),
                 qPrintable(transfer->Details().left(40)));
        QCOMPARE(sheetNames(book), QStringList{"Cover"});

        resutil::ResStrings good;
        fill(good, {{2057, 1, "ok"}});
        state.SheetName = QStringLiteral("Good");
        QVERIFY(transfer->Export(state, good, testLanguageName, feedback).ok());
        QVERIFY(transfer->Details().isEmpty());
        QCOMPARE(sheetNames(book), (QStringList{"Cover", "Good"}));
    }

    // The import needs the workbook the third step opened.
    void importWithoutTheWorkbook()
    {
        auto transfer = startTransfer();
        WizardState state;
        state.Direction = TransferDirection::Import;
        state.FileName = path("never.xlsx");
        state.Format = exchange::Format::Xlsx;
        state.StepInitialised[2] = true;
        resutil::ResStrings strings;
        RecordingFeedback feedback;
        const auto read = transfer->Import(state, strings, feedback);
        QVERIFY(!read);
        QVERIFY2(read.errorString().contains(QStringLiteral("not open")), qPrintable(read.errorString()));
        state.Format.reset();
        QVERIFY(!transfer->Export(state, strings, testLanguageName, feedback));
    }

    // The other formats go through the exchange layer with the step's choices.
    void translatorFileWithTheChosenLanguages()
    {
        const QString po = path("de.po");
        resutil::ResStrings strings;
        fill(strings, {{2057, 1, "Open"}, {2057, 2, "Close"}, {1031, 1, "Öffnen"}, {1036, 1, "Ouvrir"}});
        auto transfer = startTransfer();
        WizardState state = prepared(*transfer, TransferDirection::Export, po, strings);
        QCOMPARE(state.SourceLocale, 2057);
        QCOMPARE(state.Offer.TargetLocales, (QList<qint32>{1031, 1036}));
        state.TargetLocale = 1031;
        RecordingFeedback feedback;
        QVERIFY(transfer->Export(state, strings, testLanguageName, feedback).ok());
        QCOMPARE(exchange::translationTarget(po, exchange::Format::Po).value(), 1031);

        resutil::ResStrings changed;
        fill(changed, {{2057, 1, "Open"}, {2057, 2, "Close"}, {1031, 1, "alt"}});
        WizardState importing = prepared(*transfer, TransferDirection::Import, po, changed);
        QCOMPARE(importing.TargetLocale, 1031);
        auto imported = transfer->Import(importing, changed, feedback);
        QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
        completeImport(changed, std::move(imported).value(), exchange::Format::Po, feedback);
        QList<Entry> merged = entriesOf(changed);
        std::sort(merged.begin(), merged.end());
        QCOMPARE(merged, (QList<Entry>{{1031, 1, "Öffnen"}, {2057, 1, "Open"}, {2057, 2, "Close"}}));
    }

    // A translation to review leaves as one and comes back as one.
    void reviewStatesTravelThroughTranslatorFiles()
    {
        const QString xlf = path("de.xlf");
        resutil::ResStrings strings;
        fill(strings, {{2057, 1, "Open"}, {2057, 2, "Close"}, {1031, 1, "Öffnen"}, {1031, 2, "Schließen"}});
        reviewstate::ReviewStates states(strings);
        states.setSourceLanguage(2057);
        QVERIFY(states.markNeedsReview(1031, 2).ok());
        auto transfer = startTransfer();
        WizardState state = prepared(*transfer, TransferDirection::Export, xlf, strings);
        state.TargetLocale = 1031;
        RecordingFeedback feedback;
        QVERIFY(transfer->Export(state, strings, testLanguageName, feedback, &states).ok());
        QFile file(xlf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("needs-review"));

        resutil::ResStrings changed;
        fill(changed, {{2057, 1, "Open"}, {2057, 2, "Close"}});
        reviewstate::ReviewStates changedStates(changed);
        changedStates.setSourceLanguage(2057);
        WizardState importing = prepared(*transfer, TransferDirection::Import, xlf, changed);
        auto imported = transfer->Import(importing, changed, feedback);
        QVERIFY2(imported.ok(), qPrintable(imported.errorString()));
        completeImport(changed, std::move(imported).value(), exchange::Format::Xliff2, feedback, &changedStates);
        QCOMPARE(changedStates.state(1031, 1), reviewstate::State::Translated);
        QCOMPARE(changedStates.state(1031, 2), reviewstate::State::NeedsReview);
    }

    // The notes of a translator file's import are shown once, at most twenty
    // of them; the tables' cell messages were shown while they were read.
    void importNotes()
    {
        exchange::Imported imported;
        imported.entries.push_back({2057, 1, QStringLiteral("one")});
        for (int i = 1; i <= 23; ++i)
            imported.messages.append(QStringLiteral("note %1").arg(i));
        resutil::ResStrings strings;
        RecordingFeedback feedback;
        const auto notes = completeImport(strings, imported, exchange::Format::Xliff2, feedback);
        QVERIFY(notes);
        QCOMPARE(notes->style, int(win32::vbOKOnly));
        QCOMPARE(notes->lines.size(), 22);
        QCOMPARE(notes->lines.first(), uiString(812));
        QCOMPARE(notes->lines[20], libraryText(QStringLiteral("note 20")));
        QCOMPARE(notes->lines.last(), uiString(813, {"3"}));
        QCOMPARE(entriesOf(strings), (QList<Entry>{{2057, 1, "one"}}));

        QVERIFY(!completeImport(strings, imported, exchange::Format::Csv, feedback));
        imported.messages.clear();
        QVERIFY(!completeImport(strings, imported, exchange::Format::Po, feedback));
    }

    // Quit lets the workbooks go unsaved; the transfer holds none after it.
    void quitReleasesTheWorkbook()
    {
        const QString book = path("quit.xlsx");
        resutil::ResStrings strings;
        fill(strings, {{2057, 1, "one"}});
        auto transfer = startTransfer();
        WizardState state = prepared(*transfer, TransferDirection::Export, book, strings);
        RecordingFeedback feedback;
        QVERIFY(transfer->Export(state, strings, testLanguageName, feedback).ok());
        prepared(*transfer, TransferDirection::Export, book, strings);
        QVERIFY(transfer->Workbook());
        transfer->Quit();
        QVERIFY(!transfer->Workbook());
        QVERIFY(!transfer->Worksheet());
        transfer->Quit();
    }
};

QTEST_MAIN(WizardTransferTest)
#include "wizardtransfer_test.moc"
