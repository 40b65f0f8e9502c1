#include "platform/excel/Application.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/model/NumberFormat.h"
#include "platform/excel/model/SheetData.h"

#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

using namespace excel;

// The object model's own semantics, independent of any file format.
class ExcelModelTest : public QObject {
    Q_OBJECT

private:
    TestEnvironment m_env;
    std::unique_ptr<Application> m_app;

    Worksheet *newSheet()
    {
        auto book = m_app->Workbooks().Add(xlWBATWorksheet);
        return book ? book.value()->ActiveSheet() : nullptr;
    }

private slots:
    void initTestCase()
    {
        auto app = Application::Create();
        QVERIFY2(app.ok(), qPrintable(app.errorString()));
        m_app = std::move(app.value());
    }

    void creationFailsWhenTheBackEndIsSwitchedOff()
    {
        qputenv("QM_EXCEL_UNAVAILABLE", "1");
        auto app = Application::Create();
        qunsetenv("QM_EXCEL_UNAVAILABLE");
        QVERIFY(!app.ok());
        QVERIFY(!app.errorString().isEmpty());
    }

    void addGivesOneSheetAndOnlyTheWorksheetTemplate()
    {
        auto book = m_app->Workbooks().Add(xlWBATWorksheet);
        QVERIFY(book.ok());
        QCOMPARE(book.value()->Worksheets().Count(), 1);
        QCOMPARE(book.value()->ActiveSheet()->Name(), QStringLiteral("Sheet1"));
        QVERIFY(book.value()->FullName().isEmpty());
        QVERIFY(!book.value()->Save().ok()); // no name yet
        QVERIFY(!m_app->Workbooks().Add(-4109).ok());
    }

    void worksheetsByIndexAndByName()
    {
        Workbook &book = *m_app->Workbooks().Add(xlWBATWorksheet).value();
        auto added = book.Worksheets().Add();
        QVERIFY(added.ok());
        QCOMPARE(added.value()->Name(), QStringLiteral("Sheet2"));
        QVERIFY(added.value()->SetName(QStringLiteral("Strings")).ok());
        QCOMPARE(book.Worksheets().Item(2).value(), added.value());
        QCOMPARE(book.Worksheets().Item(QStringLiteral("strings")).value(), added.value()); // as Excel: case ignored
        QVERIFY(!book.Worksheets().Item(QStringLiteral("Missing")).ok());
        QVERIFY(!book.Worksheets().Item(0).ok());
        QVERIFY(!book.Worksheets().Item(3).ok());
        QCOMPARE(book.Worksheets().Add().value()->Name(), QStringLiteral("Sheet3"));
    }

    void sheetNamesExcelRefuses_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("32 characters") << QString(32, u'x');
        QTest::newRow("colon") << QStringLiteral("a:b");
        QTest::newRow("slash") << QStringLiteral("a/b");
        QTest::newRow("bracket") << QStringLiteral("a[1]");
        QTest::newRow("leading apostrophe") << QStringLiteral("'a");
        QTest::newRow("other sheet, other case") << QStringLiteral("SHEET1");
    }
    void sheetNamesExcelRefuses()
    {
        QFETCH(QString, name);
        Workbook &book = *m_app->Workbooks().Add(xlWBATWorksheet).value();
        Worksheet *second = book.Worksheets().Add().value();
        auto status = second->SetName(name);
        QVERIFY(!status.ok());
        QVERIFY2(status.errorString().contains(name), qPrintable(status.errorString()));
        QCOMPARE(second->Name(), QStringLiteral("Sheet2"));
        QVERIFY(second->SetName(QString(31, u'x')).ok());
        QVERIFY(book.ActiveSheet()->SetName(QStringLiteral("sheet1")).ok()); // its own name in another case
    }

    void assignmentStoresTextsAsTexts_data()
    {
        QTest::addColumn<QString>("assigned");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("prefixed");
        QTest::newRow("plain") << "Yes" << "Yes" << false;
        QTest::newRow("formula-like, with apostrophe") << "'=SUM(A1)" << "=SUM(A1)" << true;
        QTest::newRow("formula-like, bare") << "=SUM(A1)" << "=SUM(A1)" << false;
        QTest::newRow("apostrophe kept by a second one") << "''quoted" << "'quoted" << true;
        QTest::newRow("apostrophe further on") << "it's" << "it's" << false;
        QTest::newRow("leading zeros") << "007" << "007" << false;
        QTest::newRow("fraction") << "1/2" << "1/2" << false;
        QTest::newRow("exponent") << "1e5" << "1e5" << false;
        QTest::newRow("boolean word") << "TRUE" << "TRUE" << false;
        QTest::newRow("only an apostrophe") << "'" << "" << true;
    }
    void assignmentStoresTextsAsTexts()
    {
        QFETCH(QString, assigned);
        QFETCH(QString, value);
        QFETCH(bool, prefixed);
        Worksheet *sheet = newSheet();
        QVERIFY(sheet->Cells().Set(3, 2, assigned).ok());
        const Value v = sheet->Cells().Value(3, 2);
        QVERIFY(v.isText());
        QCOMPARE(v.text(), value);
        QCOMPARE(sheet->Cells().Text(3, 2), value);
        const Cell *cell = sheet->data().find(3, 2);
        QCOMPARE(sheet->Parent().formats().at(cell->xf).quotePrefix, prefixed);
    }

    void assignmentOfNumbersEmptyAndReplacement()
    {
        Worksheet *sheet = newSheet();
        QVERIFY(sheet->Cells().Set(1, 1, 2057).ok());
        QVERIFY(sheet->Cells().Value(1, 1).isNumber());
        QCOMPARE(sheet->Cells().Text(1, 1), QStringLiteral("2057"));
        QVERIFY(sheet->Cells().Set(1, 2, QString()).ok());
        QVERIFY(sheet->Cells().Value(1, 2).isEmpty()); // an empty text empties the cell
        QVERIFY(sheet->Cells().Set(1, 1, QStringLiteral("'x")).ok());
        QVERIFY(sheet->Cells().Set(1, 1, 5.5).ok()); // a number drops the quote prefix
        QVERIFY(!sheet->Parent().formats().at(sheet->data().find(1, 1)->xf).quotePrefix);
        QVERIFY(!sheet->Cells().Set(0, 1, 1).ok());
        QVERIFY(!sheet->Cells().Set(1, XlsxMaxColumns + 1, 1).ok());
        QVERIFY(!sheet->Cells().Set(1, 1, std::nan("")).ok());
    }

    void textLimitIsACellsLimit()
    {
        Worksheet *sheet = newSheet();
        QVERIFY(sheet->Cells().Set(1, 1, QString(MaxTextLength, u'a')).ok());
        QVERIFY(sheet->Cells().Set(1, 2, u'\'' + QString(MaxTextLength, u'a')).ok()); // the apostrophe is not stored
        auto refused = sheet->Cells().Set(1, 3, QStringLiteral("Long") + QString(MaxTextLength, u'a'));
        QVERIFY(!refused.ok());
        QVERIFY2(refused.errorString().contains(QStringLiteral("\"Longaaaa")), qPrintable(refused.errorString()));
        QVERIFY(refused.errorString().contains(QStringLiteral("32767")));
        QVERIFY(sheet->Cells().Value(1, 3).isEmpty());
    }

    void clearRemovesContentsAndFormats()
    {
        Worksheet *sheet = newSheet();
        QVERIFY(sheet->Cells().SetHorizontalAlignment(xlLeft).ok());
        QVERIFY(sheet->Cells().Set(5, 5, QStringLiteral("'x")).ok());
        QVERIFY(sheet->Parent().formats().at(sheet->defaultXf()).alignLeft);
        sheet->Cells().Clear();
        QVERIFY(sheet->Cells().Value(5, 5).isEmpty());
        QCOMPARE(sheet->defaultXf(), 0u);
        QCOMPARE(sheet->UsedRange().RowsCount(), 1);
        QVERIFY(!sheet->Cells().SetHorizontalAlignment(-4108).ok());
    }

    void leftAlignmentReachesLaterCells()
    {
        Worksheet *sheet = newSheet();
        QVERIFY(sheet->Cells().Set(1, 1, 1).ok());
        QVERIFY(sheet->Cells().SetHorizontalAlignment(xlLeft).ok());
        QVERIFY(sheet->Cells().Set(2, 2, QStringLiteral("'=x")).ok());
        const CellFormatTable &f = sheet->Parent().formats();
        QVERIFY(f.at(sheet->data().find(1, 1)->xf).alignLeft);
        QVERIFY(f.at(sheet->data().find(2, 2)->xf).alignLeft);
        QVERIFY(f.at(sheet->data().find(2, 2)->xf).quotePrefix);
    }

    void usedRangeIsTheSmallestRectangle()
    {
        Worksheet *sheet = newSheet();
        Range empty = sheet->UsedRange();
        QCOMPARE(empty.Row(), 1);
        QCOMPARE(empty.Column(), 1);
        QCOMPARE(empty.RowsCount(), 1);
        QCOMPARE(empty.ColumnsCount(), 1);
        QVERIFY(sheet->Cells().Set(3, 4, QStringLiteral("top")).ok());
        QVERIFY(sheet->Cells().Set(7, 2, 11).ok());
        QVERIFY(sheet->Cells().Set(9, 9, QString()).ok()); // empty and unformatted: not used
        Range used = sheet->UsedRange();
        QCOMPARE(used.Row(), 3);
        QCOMPARE(used.Column(), 2);
        QCOMPARE(used.RowsCount(), 5);
        QCOMPARE(used.ColumnsCount(), 3);
        QCOMPARE(used.Text(1, 3), QStringLiteral("top")); // counted from the range's top left
        QCOMPARE(used.Value(5, 1).number(), 11.0);
    }

    void numberFormats_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("general integer") << 2057.0 << "General" << "2057";
        QTest::newRow("general negative") << -12.5 << "General" << "-12.5";
        QTest::newRow("general third") << 1.0 / 3 << "General" << "0.333333333";
        QTest::newRow("general big") << 123456789012.0 << "General" << "1.23457E+11";
        QTest::newRow("general small") << 0.00000000012 << "General" << "1.2E-10";
        QTest::newRow("general 11 digits") << 12345678901.0 << "General" << "12345678901";
        QTest::newRow("0") << 2.5 << builtInNumberFormat(1) << "3";
        QTest::newRow("0.00") << 3.14159 << builtInNumberFormat(2) << "3.14";
        QTest::newRow("#,##0") << 1234567.0 << builtInNumberFormat(3) << "1,234,567";
        QTest::newRow("#,##0.00 negative") << -1234.5 << builtInNumberFormat(4) << "-1,234.50";
        QTest::newRow("0%") << 0.256 << builtInNumberFormat(9) << "26%";
        QTest::newRow("0.00%") << 0.256 << builtInNumberFormat(10) << "25.60%";
        QTest::newRow("0.00E+00") << 12345.0 << builtInNumberFormat(11) << "1.23E+04";
        QTest::newRow("mm-dd-yy") << 45000.0 << builtInNumberFormat(14) << "03-15-23";
        QTest::newRow("d-mmm-yy") << 45000.0 << builtInNumberFormat(15) << "15-Mar-23";
        QTest::newRow("h:mm AM/PM") << 0.75 << builtInNumberFormat(18) << "6:00 PM";
        QTest::newRow("h:mm:ss") << 0.5 + 1.0 / 86400 << builtInNumberFormat(21) << "12:00:01";
        QTest::newRow("[h]:mm:ss") << 1.5 << builtInNumberFormat(46) << "36:00:00";
        QTest::newRow("negative in parentheses") << -1234.0 << builtInNumberFormat(37) << "(1,234)";
        QTest::newRow("literal text") << 5.0 << "0\" pcs\"" << "5 pcs";
        QTest::newRow("zero section") << 0.0 << "0;-0;\"none\"" << "none";
        QTest::newRow("leading zeros") << 7.0 << "000" << "007";
        QTest::newRow("text format") << 42.0 << "@" << "42";
        QTest::newRow("lotus leap day") << 60.0 << "yyyy-mm-dd" << "1900-02-29";
        QTest::newRow("day after") << 61.0 << "yyyy-mm-dd" << "1900-03-01";
    }
    void numberFormats()
    {
        QFETCH(double, value);
        QFETCH(QString, code);
        QFETCH(QString, shown);
        QCOMPARE(formatNumber(value, code), shown);
    }

    void textOfOtherValues()
    {
        Worksheet *sheet = newSheet();
        QVERIFY(sheet->Cells().Set(1, 1, Value::boolean(true)).ok());
        QVERIFY(sheet->Cells().Set(1, 2, Value::error(CellError::Div0)).ok());
        QCOMPARE(sheet->Cells().Text(1, 1), QStringLiteral("TRUE"));
        QCOMPARE(sheet->Cells().Text(1, 2), QStringLiteral("#DIV/0!"));
        QCOMPARE(sheet->Cells().Text(40, 40), QString());
    }

    // A sheet keeps its texts sharing the data they came with, whatever the
    // text's origin, and a copy of a cell or of its value outlives the sheet.
    void storedTextsShareTheirDataAndOutliveTheSheet()
    {
        Worksheet *sheet = newSheet();
        QString inside = QString::fromLatin1("--partial");
        inside.remove(0, 2);
        QVERIFY(inside.data_ptr().freeSpaceAtBegin() > 0); // starts inside its allocation
        const QString longest(MaxTextLength, u'\u00e9');
        QVERIFY(sheet->Cells().Set(1, 10, inside).ok());
        QVERIFY(sheet->Cells().Set(1, 7, QStringLiteral("literal")).ok()); // inserted before column 10
        QVERIFY(sheet->Cells().Set(1, 8, longest).ok());
        QVERIFY(sheet->Cells().Set(1, 1, -0.25).ok());
        QVERIFY(sheet->Cells().Set(1, 2, Value::boolean(true)).ok());
        QVERIFY(sheet->Cells().Set(1, 3, Value::error(CellError::Ref)).ok());
        QVERIFY(sheet->Cells().SetHorizontalAlignment(xlLeft).ok()); // stores every cell again

        const Value partial = sheet->Cells().Value(1, 10);
        QCOMPARE(partial.text(), QStringLiteral("partial"));
        QCOMPARE(partial.text().constData(), inside.constData()); // shared, not copied
        inside[0] = u'P';
        QCOMPARE(sheet->Cells().Text(1, 10), QStringLiteral("partial"));
        QVERIFY(sheet->Cells().Set(1, 10, QStringLiteral("other")).ok());
        QCOMPARE(partial.text(), QStringLiteral("partial"));

        const SheetData::Row &row = sheet->data().row(1);
        const std::vector<Cell> cells(row.begin(), row.end());
        QCOMPARE(cells.size(), size_t(6));
        sheet->Cells().Clear();
        QVERIFY(sheet->Cells().Value(1, 8).isEmpty());
        QCOMPARE(Value(cells[0].value), Value(-0.25));
        QCOMPARE(Value(cells[1].value), Value::boolean(true));
        QCOMPARE(cells[2].value.errorCode(), CellError::Ref);
        QCOMPARE(cells[3].value.text(), QStringLiteral("literal"));
        QCOMPARE(cells[4].value.text(), longest);
        QCOMPARE(cells[5].value.text(), QStringLiteral("other"));
        QCOMPARE(partial.text(), QStringLiteral("partial"));
    }

    void quitReleasesEveryWorkbook()
    {
        auto app = Application::Create();
        QVERIFY(app.ok());
        QVERIFY(app.value()->Workbooks().Add(xlWBATWorksheet).ok());
        app.value()->Quit();
        QCOMPARE(app.value()->Workbooks().Count(), 0);
        app.value()->Quit();
    }
};

QTEST_GUILESS_MAIN(ExcelModelTest)
#include "excel_model_test.moc"
