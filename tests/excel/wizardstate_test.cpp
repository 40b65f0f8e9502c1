#include "excel/WizardState.h"
#include "platform/win32/Interaction.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace wizard;

namespace {

WizardState atStep(int step, TransferDirection direction = TransferDirection::None)
{
    WizardState state;
    state.ProjectName = QStringLiteral("Project1");
    state.CurrentStep = step;
    state.Direction = direction;
    return state;
}

// A third step prepared for a format, with nothing chosen yet.
WizardState preparedSheetStep(TransferDirection direction, exchange::Format format)
{
    WizardState state = atStep(2, direction);
    SheetStep step;
    step.Format = format;
    step.Prepared = true;
    takeSheetStep(state, step);
    return state;
}

} // namespace

// The wizard's rules without its window: when Next may lead on, and what
// each choice changes.
class WizardStateTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

private slots:
    void directionAndFileSteps()
    {
        QVERIFY(!stepComplete(atStep(0)));
        QVERIFY(stepComplete(atStep(0, TransferDirection::Import)));
        QVERIFY(!stepComplete(atStep(3, TransferDirection::Export))); // Next stays off on the last step

        const QString existing = m_dir.filePath(QStringLiteral("there.xlsx"));
        writeFile(existing, "x");
        WizardState state = atStep(1, TransferDirection::Import);
        QVERIFY(!stepComplete(state));
        chooseFileName(state, m_dir.filePath(QStringLiteral("missing.xlsx")));
        QVERIFY(!stepComplete(state));
        chooseFileName(state, m_dir.path()); // a folder is no file
        QVERIFY(!stepComplete(state));
        chooseFileName(state, existing);
        QVERIFY(stepComplete(state));
        // An export takes any name.
        chooseDirection(state, TransferDirection::Export);
        chooseFileName(state, m_dir.filePath(QStringLiteral("missing.xlsx")));
        QVERIFY(stepComplete(state));
    }

    // A change of direction or file name prepares the third step again; the
    // other steps keep theirs.
    void choicesMarkTheSheetStepUnprepared()
    {
        WizardState state = preparedSheetStep(TransferDirection::Import, exchange::Format::Xlsx);
        state.StepInitialised = {true, true, true, true};
        chooseDirection(state, TransferDirection::Export);
        QCOMPARE(state.StepInitialised, (std::array<bool, StepCount>{true, true, false, true}));
        state.StepInitialised[2] = true;
        chooseFileName(state, QStringLiteral("other.xlsx"));
        QCOMPARE(state.StepInitialised, (std::array<bool, StepCount>{true, true, false, true}));
        QCOMPARE(state.FileName, QStringLiteral("other.xlsx"));
    }

    void sheetStepIsCompleteWhenItsChoiceIsMade()
    {
        // Sheets: a name, and on export a table that fits.
        WizardState state = preparedSheetStep(TransferDirection::Export, exchange::Format::Xls);
        QVERIFY(!stepComplete(state));
        state.SheetName = QStringLiteral("Project1");
        QVERIFY(stepComplete(state));
        state.Offer.TableFits = false;
        QVERIFY(!stepComplete(state));
        state.Direction = TransferDirection::Import; // an import reads whatever is there
        QVERIFY(stepComplete(state));
        state.StepInitialised[2] = false; // a name typed into an unprepared step is not enough
        QVERIFY(!stepComplete(state));

        // Nothing to choose.
        QVERIFY(stepComplete(preparedSheetStep(TransferDirection::Import, exchange::Format::Csv)));
        QVERIFY(stepComplete(preparedSheetStep(TransferDirection::Export, exchange::Format::Rc)));

        // Translator files: a target; on export also a source that differs from it.
        WizardState po = preparedSheetStep(TransferDirection::Import, exchange::Format::Po);
        QVERIFY(!stepComplete(po));
        po.TargetLocale = 1031;
        QVERIFY(stepComplete(po));
        WizardState xliff = preparedSheetStep(TransferDirection::Export, exchange::Format::Xliff2);
        xliff.TargetLocale = 1031;
        QVERIFY(!stepComplete(xliff));
        xliff.SourceLocale = 1031;
        QVERIFY(!stepComplete(xliff));
        xliff.SourceLocale = 2057;
        QVERIFY(stepComplete(xliff));
    }

    // The step's offer brings its first choices with it.
    void takenSheetStepSetsTheFirstChoices()
    {
        WizardState state = atStep(2, TransferDirection::Export);
        state.SheetName = QStringLiteral("typed before");
        state.StepInitialised[2] = true;
        SheetStep failed;
        failed.Format = exchange::Format::Xlsx;
        takeSheetStep(state, failed);
        QVERIFY(state.SheetName.isEmpty());
        QVERIFY(!state.StepInitialised[2]);

        SheetStep step;
        step.Format = exchange::Format::Xliff2;
        step.Prepared = true;
        step.FileMissing = true;
        step.SourceLocale = 2057;
        step.TargetLocale = 1036;
        takeSheetStep(state, step);
        QCOMPARE(state.Format, std::optional(exchange::Format::Xliff2));
        QVERIFY(state.FileMissing);
        QCOMPARE(state.SourceLocale, 2057);
        QCOMPARE(state.TargetLocale, 1036);
        QVERIFY(state.StepInitialised[2]);
    }

    void useProjectName()
    {
        WizardState exporting = preparedSheetStep(TransferDirection::Export, exchange::Format::Xlsx);
        wizard::useProjectName(exporting);
        QCOMPARE(exporting.SheetName, QStringLiteral("Project1"));

        // An import's list holds only the workbook's sheets, compared exactly.
        WizardState importing = preparedSheetStep(TransferDirection::Import, exchange::Format::Xlsx);
        importing.Offer.SheetNames = {QStringLiteral("project1"), QStringLiteral("Other")};
        importing.SheetName = QStringLiteral("Other");
        wizard::useProjectName(importing);
        QCOMPARE(importing.SheetName, QStringLiteral("Other"));
        importing.Offer.SheetNames.append(QStringLiteral("Project1"));
        wizard::useProjectName(importing);
        QCOMPARE(importing.SheetName, QStringLiteral("Project1"));
    }

    // Another source language: the targets are the project's other
    // languages; the chosen one stays where it can, a single one is chosen.
    void anotherSourceLanguageChangesTheTargets()
    {
        WizardState state = preparedSheetStep(TransferDirection::Export, exchange::Format::Po);
        const QList<qint32> languages{2057, 1031, 1036};
        chooseSourceLocale(state, 2057, languages);
        QCOMPARE(state.Offer.TargetLocales, (QList<qint32>{1031, 1036}));
        QCOMPARE(state.TargetLocale, 0);
        state.TargetLocale = 1036;
        chooseSourceLocale(state, 1031, languages);
        QCOMPARE(state.Offer.TargetLocales, (QList<qint32>{2057, 1036}));
        QCOMPARE(state.TargetLocale, 1036);
        chooseSourceLocale(state, 1036, languages);
        QCOMPARE(state.TargetLocale, 0);
        QVERIFY(!state.Offer.Note);

        chooseSourceLocale(state, 2057, {2057, 1031});
        QCOMPARE(state.TargetLocale, 1031);
        chooseSourceLocale(state, 2057, {2057});
        QVERIFY(state.Offer.TargetLocales.isEmpty());
        QCOMPARE(state.TargetLocale, 0);
        QCOMPARE(state.Offer.Note, std::optional(uiString(807)));

        // An import's targets are the file's and the project's, whatever the source.
        WizardState importing = preparedSheetStep(TransferDirection::Import, exchange::Format::Po);
        importing.Offer.TargetLocales = {1031, 2057};
        importing.TargetLocale = 1031;
        chooseSourceLocale(importing, 1031, languages);
        QCOMPARE(importing.Offer.TargetLocales, (QList<qint32>{1031, 2057}));
        QCOMPARE(importing.TargetLocale, 1031);
    }

    void fileNames()
    {
        QCOMPARE(fileNameRefusal(QStringLiteral("out.pdf")),
                 std::optional(UiMessage{{uiString(800, {QStringLiteral("out.pdf")})}, win32::vbExclamation}));
        QVERIFY(!fileNameRefusal(QStringLiteral("out.XLSX")));

        const QString csv = m_dir.filePath(QStringLiteral("table.csv"));
        const QString rc = m_dir.filePath(QStringLiteral("strings.rc"));
        const QString xls = m_dir.filePath(QStringLiteral("book.xls"));
        const QString ods = m_dir.filePath(QStringLiteral("book.ods"));
        for (const QString &file : {csv, rc, xls, ods})
            writeFile(file, "x");
        WizardState state = atStep(1, TransferDirection::Export);
        QCOMPARE(replaceQuestion(state, csv), std::optional(uiString(635, {QDir::toNativeSeparators(csv)})));
        QCOMPARE(replaceQuestion(state, rc), std::optional(uiString(636, {QDir::toNativeSeparators(rc)})));
        // A spreadsheet keeps its other sheets; a new file replaces nothing.
        QVERIFY(!replaceQuestion(state, xls));
        QVERIFY(!replaceQuestion(state, ods));
        QVERIFY(!replaceQuestion(state, m_dir.filePath(QStringLiteral("new.csv"))));
        // Asked once per name, and never on import.
        state.ReplaceApproved = csv;
        QVERIFY(!replaceQuestion(state, csv));
        QVERIFY(replaceQuestion(state, rc));
        state.Direction = TransferDirection::Import;
        QVERIFY(!replaceQuestion(state, rc));
    }
};

QTEST_MAIN(WizardStateTest)
#include "wizardstate_test.moc"
