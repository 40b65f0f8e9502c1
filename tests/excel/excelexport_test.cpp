#include "TransferTestSupport.h"

#include "transfer/ExcelExport.h"
#include "platform/excel/model/Constants.h"
#include "platform/resutil/MappedStringTables.h"
#include "platform/resutil/ResFile.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QTemporaryDir>
#include <QtTest>

using ExcelTransfer::ExportTarget;
using ExcelTransfer::exportStrings;
using excel::Value;

class ExcelExportTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Exports into a new workbook; the target keeps the workbook and sheet.
    qm::Status exportNew(excel::Application &app, ExportTarget &target, const QList<Entry> &entries,
                         RecordingFeedback &feedback, const QString &file = QStringLiteral("book.xlsx"))
    {
        resutil::ResStrings strings;
        fill(strings, entries);
        target.fileMissing = true;
        target.fileName = path(file);
        target.sheetName = QStringLiteral("Project1");
        const qm::Status status = exportStrings(target, strings, testLanguageName, feedback);
        // A new .xlsx sheet is written as a stream and holds no cells: they are read back from the file.
        if (status.ok() && target.worksheet->streamedPart) {
            auto book = app.Workbooks().Open(target.fileName);
            if (!book)
                return book.error();
            auto sheet = book.value()->Worksheets().Item(target.sheetName);
            if (!sheet)
                return sheet.error();
            target.workbook = book.value();
            target.worksheet = sheet.value();
        }
        return status;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LgvStringModule::setCurrentUILanguage(2057);
    }

    // A table the format cannot hold is refused before any cell is written.
    void tooLargeForTheFormatIsRefusedFirst()
    {
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        RecordingFeedback feedback;
        QList<Entry> entries;
        for (int id = 0; id < 65535; ++id)
            entries.append({2057, id, "t"});
        const qm::Status status = exportNew(*app, target, entries, feedback, QStringLiteral("big.xls"));
        QVERIFY(!status.ok());
        QVERIFY2(status.errorString().startsWith(QStringLiteral("The table has 65537 rows and 2 columns")),
                 qPrintable(status.errorString()));
        QVERIFY(!target.worksheet);
        QVERIFY(feedback.captions.isEmpty());
        QVERIFY(!QFileInfo::exists(path("big.xls")));
    }

    void layoutInOrderOfFirstOccurrence()
    {
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        RecordingFeedback feedback;
        QVERIFY(exportNew(*app, target, {{2057, 10, "Yes"}, {2057, 11, "=Total"}, {1031, 10, "Ja"}}, feedback).ok());
        const excel::Cells &cells = target.worksheet->Cells();
        QCOMPARE(cells.Value(3, 1), Value(10));
        QCOMPARE(cells.Value(4, 1), Value(11));
        QCOMPARE(cells.Value(1, 2), Value("Lang2057"));
        QCOMPARE(cells.Value(2, 2), Value(2057));
        QCOMPARE(cells.Value(1, 3), Value("Lang1031"));
        QCOMPARE(cells.Value(2, 3), Value(1031));
        QCOMPARE(cells.Text(3, 2), QStringLiteral("Yes"));
        QCOMPARE(cells.Text(4, 2), QStringLiteral("=Total"));
        QCOMPARE(cells.Text(3, 3), QStringLiteral("Ja"));
        QVERIFY(cells.Value(4, 3).isEmpty());
        QVERIFY(cells.Value(1, 1).isEmpty());
        QVERIFY(cells.Value(2, 1).isEmpty());
        QCOMPARE(feedback.progressMaximum, 3);
        QCOMPARE(feedback.progressValue, 3);
        QCOMPARE(feedback.captions, (QStringList{"Exporting", "Export complete"}));
        QVERIFY(QFileInfo::exists(path("book.xlsx")));
    }

    void noSorting()
    {
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        RecordingFeedback feedback;
        QVERIFY(exportNew(*app, target, {{1031, 500, "b"}, {2057, 7, "a"}, {1031, 7, "c"}}, feedback).ok());
        const excel::Cells &cells = target.worksheet->Cells();
        QCOMPARE(cells.Value(3, 1), Value(500));
        QCOMPARE(cells.Value(4, 1), Value(7));
        QCOMPARE(cells.Value(2, 2), Value(1031));
        QCOMPARE(cells.Value(2, 3), Value(2057));
        QCOMPARE(cells.Text(4, 2), QStringLiteral("c"));
        QCOMPARE(cells.Text(4, 3), QStringLiteral("a"));
        QVERIFY(cells.Value(3, 3).isEmpty());
    }

    void apostropheRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("formula") << "=SUM(A1)";
        QTest::newRow("leading apostrophe") << "'quoted";
        QTest::newRow("two apostrophes") << "''";
        QTest::newRow("equals later") << "a=b";
        QTest::newRow("apostrophe later") << "it's";
        QTest::newRow("number-like") << "007";
        QTest::newRow("date-like") << "1/2";
        QTest::newRow("boolean-like") << "TRUE";
        QTest::newRow("error-like") << "#N/A";
    }
    void apostropheRule()
    {
        QFETCH(QString, text);
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        RecordingFeedback feedback;
        QVERIFY(exportNew(*app, target, {{2057, 1, text}}, feedback).ok());
        QCOMPARE(target.worksheet->Cells().Text(3, 2), text);
        QCOMPARE(target.worksheet->Cells().Value(3, 2), Value(text));
    }

    void emptyTextLeavesEmptyCell()
    {
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        RecordingFeedback feedback;
        QVERIFY(exportNew(*app, target, {{2057, 1, ""}, {2057, 2, "x"}}, feedback).ok());
        QVERIFY(target.worksheet->Cells().Value(3, 2).isEmpty());
        QCOMPARE(target.worksheet->Cells().Value(3, 1), Value(1));
    }

    // A file's tables read in place export the very workbook its loaded
    // collection does, progress included; they go into new books only.
    void tablesReadInPlaceGiveTheSameWorkbook()
    {
        const QString res = path("inplace.res");
        {
            resutil::ResFile file;
            file.setFileName(res);
            QVERIFY(file.Create().ok());
            fill(file.Strings(), {{2057, 7, "'quoted"}, {2057, 40000, "far"}, {1031, 8, "=Summe"}, {1031, 7, "Ja"},
                                  {1041, 65535, QString(300, QChar(0x3042))}});
            QVERIFY(file.Save(0).ok());
        }
        resutil::ResFile loaded;
        loaded.setFileName(res);
        QVERIFY(loaded.Load().ok());
        auto tables = resutil::MappedStringTables::open(res);
        QVERIFY(tables);

        auto app = startExcel();
        ExportTarget fromCollection(app->Workbooks()), inPlace(app->Workbooks());
        RecordingFeedback collectionFeedback, inPlaceFeedback;
        for (auto *target : {&fromCollection, &inPlace}) {
            target->fileName = path(target == &inPlace ? "inplace.xlsx" : "loaded.xlsx");
            target->sheetName = QStringLiteral("Project1");
            QFile::remove(target->fileName);
        }
        QVERIFY(exportStrings(fromCollection, loaded.Strings(), testLanguageName, collectionFeedback).ok());
        const qm::Status status = ExcelTransfer::exportTables(inPlace, *tables, testLanguageName, inPlaceFeedback);
        QVERIFY2(status.ok(), qPrintable(status.errorString()));
        QCOMPARE(readFile(inPlace.fileName), readFile(fromCollection.fileName));
        QCOMPARE(inPlaceFeedback.progressMaximum, 5);
        QCOMPARE(inPlaceFeedback.progressValue, collectionFeedback.progressValue);

        // So do they for a new .xls book; an existing book is not theirs to write.
        ExportTarget xls(app->Workbooks()), xlsFromCollection(app->Workbooks());
        xls.fileName = path("inplace.xls");
        xlsFromCollection.fileName = path("loaded.xls");
        for (auto *target : {&xls, &xlsFromCollection}) {
            target->sheetName = QStringLiteral("Project1");
            target->fileMissing = true;
        }
        QVERIFY(exportStrings(xlsFromCollection, loaded.Strings(), testLanguageName, collectionFeedback).ok());
        const qm::Status xlsStatus = ExcelTransfer::exportTables(xls, *tables, testLanguageName, inPlaceFeedback);
        QVERIFY2(xlsStatus.ok(), qPrintable(xlsStatus.errorString()));
        QCOMPARE(readFile(xls.fileName), readFile(xlsFromCollection.fileName));
        ExportTarget existing(app->Workbooks());
        existing.fileName = path("inplace.xls");
        existing.sheetName = QStringLiteral("Project1");
        existing.fileMissing = false;
        QVERIFY(!ExcelTransfer::exportTables(existing, *tables, testLanguageName, inPlaceFeedback).ok());

        // A file changed in place meanwhile is told, and nothing is written.
        auto again = resutil::MappedStringTables::open(res);
        QVERIFY(again);
        QByteArray bytes = readFile(res);
        const qsizetype ja = bytes.indexOf(QByteArray("J\0a\0", 4)) - 2;
        QVERIFY(ja > 0);
        bytes[ja] = '\xff';
        bytes[ja + 1] = '\xff';
        QFile file(res);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        ExportTarget changed(app->Workbooks());
        changed.fileName = path("changed.xlsx");
        changed.sheetName = QStringLiteral("Project1");
        const qm::Status refused = ExcelTransfer::exportTables(changed, *again, testLanguageName, inPlaceFeedback);
        QVERIFY(!refused.ok());
        QVERIFY2(refused.errorString().contains(QStringLiteral("inplace.res changed while it was read")),
                 qPrintable(refused.errorString()));
        QVERIFY(!QFile::exists(changed.fileName));
    }

    void noStringsStillSaves()
    {
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        RecordingFeedback feedback;
        QVERIFY(exportNew(*app, target, {}, feedback, QStringLiteral("empty.xls")).ok());
        QCOMPARE(feedback.progressMaximum, 0);
        QVERIFY(target.worksheet->Cells().Value(1, 1).isEmpty());
        QVERIFY(target.worksheet->Cells().Value(2, 1).isEmpty());
        QVERIFY(target.worksheet->Cells().Value(1, 2).isEmpty());
        auto reread = startExcel();
        auto book = reread->Workbooks().Open(path("empty.xls"));
        QVERIFY2(book.ok(), qPrintable(book.errorString()));
        QCOMPARE(book.value()->Worksheets().Count(), 1);
        QCOMPARE(book.value()->Worksheets().Item(1).value()->Name(), QStringLiteral("Project1"));
    }

    void localeWithoutName()
    {
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        RecordingFeedback feedback;
        QVERIFY(exportNew(*app, target, {{9999, 1, "x"}}, feedback).ok());
        QVERIFY(target.worksheet->Cells().Text(1, 2).isEmpty());
        QCOMPARE(target.worksheet->Cells().Value(2, 2), Value(9999));
    }

    void everyCellLeftAligned()
    {
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        RecordingFeedback feedback;
        QVERIFY(exportNew(*app, target, {{2057, 1, "x"}}, feedback).ok());
        const excel::Worksheet &sheet = *target.worksheet;
        QVERIFY(sheet.Parent().formats().at(sheet.defaultXf()).alignLeft);
        QVERIFY(sheet.Parent().formats().at(sheet.data().find(3, 2)->xf).alignLeft);
    }

    // An existing workbook: the sheet of that name is replaced, all others stay.
    void existingWorkbookKeepsOtherSheets_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xlsx") << "keep.xlsx";
        QTest::newRow("xls") << "keep.xls";
    }
    void existingWorkbookKeepsOtherSheets()
    {
        QFETCH(QString, file);
        {
            auto app = startExcel();
            excel::Workbook *book = app->Workbooks().Add(excel::xlWBATWorksheet).value();
            excel::Worksheet *other = book->ActiveSheet();
            QVERIFY(other->SetName(QStringLiteral("Notes")).ok());
            setCells(*other, {{1, 1, Value("keep me")}, {5, 5, Value(42)}});
            excel::Worksheet *project = book->Worksheets().Add().value();
            QVERIFY(project->SetName(QStringLiteral("Project1")).ok());
            setCells(*project, {{1, 1, Value("old")}, {20, 9, Value("stale")}});
            QVERIFY(book->SaveAs(path(file)).ok());
        }
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        QM_OPEN_BOOK(existing, *app, path(file));
        target.workbook = existing;
        target.fileMissing = false;
        target.fileName = path(file);
        target.sheetName = QStringLiteral("Project1");
        resutil::ResStrings strings;
        fill(strings, {{2057, 3, "new"}});
        RecordingFeedback feedback;
        const qm::Status status = exportStrings(target, strings, testLanguageName, feedback);
        QVERIFY2(status.ok(), qPrintable(status.errorString()));

        auto reread = startExcel();
        QM_OPEN_BOOK(book, *reread, path(file));
        QCOMPARE(book->Worksheets().Count(), 2);
        excel::Worksheet *notes = book->Worksheets().Item(1).value();
        QCOMPARE(notes->Name(), QStringLiteral("Notes"));
        QCOMPARE(notes->Cells().Text(1, 1), QStringLiteral("keep me"));
        QCOMPARE(notes->Cells().Value(5, 5), Value(42));
        excel::Worksheet *project = book->Worksheets().Item(2).value();
        QCOMPARE(project->Name(), QStringLiteral("Project1"));
        QVERIFY(project->Cells().Value(1, 1).isEmpty());
        QVERIFY(project->Cells().Value(20, 9).isEmpty());
        QCOMPARE(project->Cells().Text(3, 2), QStringLiteral("new"));
        const excel::Range used = project->UsedRange();
        QCOMPARE(used.RowsCount(), 3);
        QCOMPARE(used.ColumnsCount(), 2);
    }

    void existingWorkbookGetsNewSheet()
    {
        {
            auto app = startExcel();
            excel::Workbook *book = app->Workbooks().Add(excel::xlWBATWorksheet).value();
            setCells(*book->ActiveSheet(), {{1, 1, Value("first")}});
            QVERIFY(book->SaveAs(path("add.xlsx")).ok());
        }
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        QM_OPEN_BOOK(existing, *app, path("add.xlsx"));
        target.workbook = existing;
        target.fileMissing = false;
        target.fileName = path("add.xlsx");
        target.sheetName = QStringLiteral("Strings");
        resutil::ResStrings strings;
        fill(strings, {{2057, 3, "x"}});
        RecordingFeedback feedback;
        QVERIFY(exportStrings(target, strings, testLanguageName, feedback).ok());
        auto reread = startExcel();
        QM_OPEN_BOOK(book, *reread, path("add.xlsx"));
        QCOMPARE(book->Worksheets().Count(), 2);
        QCOMPARE(book->Worksheets().Item(1).value()->Cells().Text(1, 1), QStringLiteral("first"));
        QCOMPARE(book->Worksheets().Item(2).value()->Name(), QStringLiteral("Strings"));
    }

    // A text the cell cannot hold ends the export: details name the cell, nothing is saved.
    void failingCellIsReportedAndNothingSaved()
    {
        QFile::remove(path("long.xlsx"));
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        RecordingFeedback feedback;
        const QString tooLong(excel::MaxTextLength + 1, QLatin1Char('x'));
        const qm::Status status = exportNew(*app, target, {{2057, 1, "a"}, {1031, 1, "=" + tooLong}, {2057, 2, "b"}},
                                            feedback, QStringLiteral("long.xlsx"));
        QVERIFY(!status.ok());
        QCOMPARE(target.details(), QStringLiteral("Line=3, Column=3, Text=\"'=%1\"").arg(tooLong));
        QCOMPARE(feedback.progressValue, 1);
        QVERIFY(target.worksheet->Cells().Value(4, 1).isEmpty());
        QVERIFY(!QFileInfo::exists(path("long.xlsx")));
        QVERIFY(!feedback.captions.contains("Export complete"));
    }

    void rejectedSheetNameHasNoDetails()
    {
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        RecordingFeedback feedback;
        resutil::ResStrings strings;
        fill(strings, {{2057, 1, "a"}});
        target.fileName = path("bad-name.xlsx");
        target.sheetName = QStringLiteral("a/b");
        QVERIFY(!exportStrings(target, strings, testLanguageName, feedback).ok());
        QVERIFY(target.details().isEmpty());
        QVERIFY(!QFileInfo::exists(path("bad-name.xlsx")));
    }

    // The .xls format holds 65,536 rows: 65,534 string IDs, and no more.
    void xlsRowLimitRefusedBeforeWriting()
    {
        resutil::ResStrings strings;
        for (int id = 0; id < excel::XlsMaxRows - 1; ++id)
            strings.Add(2057, id, QString());
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        target.fileName = path("rows.xls");
        target.sheetName = QStringLiteral("S");
        RecordingFeedback feedback;
        QVERIFY(!exportStrings(target, strings, testLanguageName, feedback).ok());
        QVERIFY(!QFileInfo::exists(path("rows.xls")));

        resutil::ResStrings fits;
        for (int id = 0; id < excel::XlsMaxRows - 2; ++id)
            fits.Add(2057, id, QString());
        ExportTarget second(app->Workbooks());
        second.fileName = path("rows.xls");
        second.sheetName = QStringLiteral("S");
        QVERIFY(exportStrings(second, fits, testLanguageName, feedback).ok());
    }

    void secondRunRewritesTheSameSheet()
    {
        auto app = startExcel();
        ExportTarget target(app->Workbooks());
        RecordingFeedback feedback;
        QVERIFY(exportNew(*app, target, {{2057, 1, "a"}, {2057, 2, "b"}}, feedback, QStringLiteral("twice.xlsx")).ok());
        ExportTarget again(app->Workbooks());
        QM_OPEN_BOOK(existing, *app, path("twice.xlsx"));
        again.workbook = existing;
        again.fileMissing = false;
        again.fileName = path("twice.xlsx");
        again.sheetName = QStringLiteral("Project1");
        resutil::ResStrings fewer;
        fill(fewer, {{1031, 9, "z"}});
        QVERIFY(exportStrings(again, fewer, testLanguageName, feedback).ok());
        QVERIFY(exportStrings(again, fewer, testLanguageName, feedback).ok());
        auto reread = startExcel();
        QM_OPEN_BOOK(book, *reread, path("twice.xlsx"));
        excel::Worksheet *sheet = book->Worksheets().Item(1).value();
        QCOMPARE(sheet->UsedRange().RowsCount(), 3);
        QCOMPARE(sheet->Cells().Value(3, 1), Value(9));
        QCOMPARE(sheet->Cells().Value(2, 2), Value(1031));
    }

    // An export into an .xls replaces the sheet's strings in the file's table:
    // the same table exported again leaves the file byte for byte as it was,
    // and strings that only an earlier export used are gone again.
    void repeatedExportsIntoAnXlsLeaveItAsOneDoes()
    {
        resutil::ResStrings text, other;
        for (int id = 1; id <= 300; ++id) {
            text.Add(2057, id, QStringLiteral("text %1 Grüße").arg(id));
            other.Add(2057, id, QStringLiteral("other %1 Grüße").arg(id));
        }
        const QString file = path("again.xls");
        {
            auto app = startExcel();
            excel::Workbook *book = app->Workbooks().Add(excel::xlWBATWorksheet).value();
            QVERIFY(book->ActiveSheet()->SetName(QStringLiteral("Other")).ok());
            setCells(*book->ActiveSheet(), {{1, 1, Value("kept")}, {2, 1, Value("text 7 Grüße")}, {3, 1, Value(3)}});
            QVERIFY(book->SaveAs(file).ok());
        }
        const auto exportInto = [&](const resutil::ResStrings &strings) {
            auto app = startExcel(); // a new session each time, as the wizard's
            QM_OPEN_BOOK(book, *app, file);
            ExportTarget target(app->Workbooks());
            target.workbook = book;
            target.fileMissing = false;
            target.fileName = file;
            target.sheetName = QStringLiteral("Project1");
            RecordingFeedback feedback;
            const qm::Status status = exportStrings(target, strings, testLanguageName, feedback);
            QVERIFY2(status.ok(), qPrintable(status.errorString()));
        };
        exportInto(text);
        const QByteArray once = readFile(file);
        for (int i = 0; i < 3; ++i)
            exportInto(text);
        QCOMPARE(readFile(file).size(), once.size());
        QVERIFY(readFile(file) == once);
        exportInto(other);
        exportInto(text);
        QVERIFY(readFile(file) == once);

        auto app = startExcel();
        QM_OPEN_BOOK(book, *app, file);
        QCOMPARE(book->Worksheets().Names(), (QStringList{"Other", "Project1"}));
        const excel::Cells &kept = book->Worksheets().Item(QStringLiteral("Other")).value()->Cells();
        QCOMPARE(kept.Text(1, 1), QStringLiteral("kept"));
        QCOMPARE(kept.Text(2, 1), QStringLiteral("text 7 Grüße"));
        QCOMPARE(kept.Value(3, 1), Value(3));
        const excel::Cells &written = book->Worksheets().Item(QStringLiteral("Project1")).value()->Cells();
        QCOMPARE(written.Text(302, 2), QStringLiteral("text 300 Grüße"));
        QCOMPARE(written.Text(9, 2), QStringLiteral("text 7 Grüße"));
    }
};

QTEST_MAIN(ExcelExportTest)
#include "excelexport_test.moc"
