#include "WizardTestSupport.h"

#include "excel/CaptionedProgressBar.h"
#include "exchange/Exchange.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QTemporaryDir>
#include <QtTest>

using excel::Value;
using namespace wizardtest;

// The wizard reads the workbook at its second step and writes it at Start.
// Another program may save the file in between, or between two Starts: the
// export then goes into the file as that program left it, never over it
// with the copy read before.
class WizardChangedBookTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static bool isOds(const QString &file) { return file.endsWith(QLatin1String(".ods")); }

    // What another program does: adds a sheet and saves the file (creating it when there is none).
    static void otherProgramAddsSheet(const QString &file, const QString &sheet)
    {
        if (isOds(file)) {
            resutil::ResStrings strings;
            strings.Add(2057, 1, sheet);
            exchange::Options options;
            options.format = exchange::Format::Ods;
            options.sheetName = sheet;
            RecordingFeedback feedback;
            const qm::Status saved = exchange::exportFile(strings, file, options, testLanguageName, feedback);
            QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
            return;
        }
        if (!QFileInfo::exists(file)) {
            writeBook(file, {{sheet, {{1, 1, Value(sheet)}}}});
            return;
        }
        auto other = startExcel();
        QM_OPEN_BOOK(book, *other, file);
        excel::Worksheet *added = book->Worksheets().Add().value();
        QVERIFY(added->SetName(sheet).ok());
        QVERIFY(added->Cells().Set(1, 1, Value(sheet)).ok());
        const qm::Status saved = book->Save();
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
    }

    static QStringList sheetNames(const QString &file)
    {
        if (isOds(file))
            return exchange::odsSheetNames(file).value();
        auto app = startExcel();
        auto book = app->Workbooks().Open(file);
        return book ? book.value()->Worksheets().Names() : QStringList{book.errorString()};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LgvStringModule::setCurrentUILanguage(2057);
    }

    void exportGoesIntoTheFileAsItIsNow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("existed");
        QTest::newRow("xlsx") << QStringLiteral("book.xlsx") << true;
        QTest::newRow("xls") << QStringLiteral("book.xls") << true;
        QTest::newRow("ods") << QStringLiteral("book.ods") << true;
        QTest::newRow("xlsx missing at step 2") << QStringLiteral("new.xlsx") << false;
        QTest::newRow("xls missing at step 2") << QStringLiteral("new.xls") << false;
    }
    void exportGoesIntoTheFileAsItIsNow()
    {
        QFETCH(QString, name);
        QFETCH(bool, existed);
        const QString file = path(name);
        QStringList expected;
        if (existed) {
            otherProgramAddsSheet(file, QStringLiteral("Before"));
            expected << QStringLiteral("Before");
        }
        win32::ScriptedInteraction ui;
        resutil::ResFile res;
        fill(res.Strings(), {{2057, 1, "one"}, {1031, 1, "eins"}});
        runWizard(
            ui, res,
            [&](frmExcel &form) {
                goToWorksheetStep(form, false, file);
                QCOMPARE(form.State().FileMissing, !existed);
                otherProgramAddsSheet(file, QStringLiteral("Theirs"));
                form.cmdNext->click();
                QCOMPARE(form.State().CurrentStep, 3);
                form.cmdStart->click();
                QCOMPARE(form.pbaProgress->Caption(), QStringLiteral("Export complete"));
                expected << QStringLiteral("Theirs") << QStringLiteral("Project1");
                QCOMPARE(sheetNames(file), expected);

                // Between two Starts.
                otherProgramAddsSheet(file, QStringLiteral("Later"));
                QVERIFY(form.cmdStart->isEnabled());
                form.cmdStart->click();
                QCOMPARE(form.pbaProgress->Caption(), QStringLiteral("Export complete"));
                expected << QStringLiteral("Later");
                QCOMPARE(sheetNames(file), expected);
                form.cmdFinish->click();
            },
            m_dir.path());
        QVERIFY2(ui.unexpected.isEmpty(), qPrintable(ui.unexpected.join('\n')));
        QVERIFY(ui.messageBoxes.isEmpty());
        if (!isOds(file)) {
            auto app = startExcel();
            QM_OPEN_BOOK(book, *app, file);
            auto theirs = book->Worksheets().Item(QStringLiteral("Theirs"));
            auto ours = book->Worksheets().Item(QStringLiteral("Project1"));
            QVERIFY(theirs && ours);
            QCOMPARE(theirs.value()->Cells().Text(1, 1), QStringLiteral("Theirs"));
            const excel::Cells &cells = ours.value()->Cells();
            QCOMPARE(cells.Text(3, 2), QStringLiteral("one"));
            QCOMPARE(cells.Text(3, 3), QStringLiteral("eins"));
        }
    }
};

QTEST_MAIN(WizardChangedBookTest)
#include "wizardchangedbook_test.moc"
