#include "TransferTestSupport.h"

#include "platform/excel/model/Constants.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QtTest>

using ExcelTransfer::importStrings;
using ExcelTransfer::readStrings;
using excel::Value;

Q_DECLARE_METATYPE(QList<SheetCell>)
Q_DECLARE_METATYPE(QList<Entry>)

class ExcelImportTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;

    static excel::Workbook *bookWith(excel::Application &app, const QList<SheetCell> &cells,
                                     const QString &name = QStringLiteral("Project1"))
    {
        excel::Workbook *book = app.Workbooks().Add(excel::xlWBATWorksheet).value();
        [&] { QVERIFY(book->ActiveSheet()->SetName(name).ok()); }();
        setCells(*book->ActiveSheet(), cells);
        return book;
    }

private slots:
    void initTestCase() { LgvStringModule::setCurrentUILanguage(2057); }

    // Each row: the sheet's cells, the entries the import makes, its progress maximum.
    void readsColumnByColumn_data()
    {
        QTest::addColumn<QList<SheetCell>>("cells");
        QTest::addColumn<QList<Entry>>("expected");
        QTest::addColumn<int>("progressMaximum");

        QTest::newRow("worked example")
            << QList<SheetCell>{{1, 2, Value("English")}, {1, 3, Value("German")}, {2, 2, Value(2057)},
                               {2, 3, Value(1031)},      {3, 1, Value(10)},         {4, 1, Value(11)},
                               {3, 2, Value("Yes")},     {3, 3, Value("Ja")},       {4, 2, Value("No")}}
            << QList<Entry>{{2057, 10, "Yes"}, {2057, 11, "No"}, {1031, 10, "Ja"}, {1031, 11, ""}} << 4;
        QTest::newRow("empty ID cell is ID 0")
            << QList<SheetCell>{{1, 2, Value("n")}, {2, 2, Value(2057)}, {3, 1, Value(5)}, {4, 2, Value("no id")},
                               {3, 2, Value("a")}}
            << QList<Entry>{{2057, 5, "a"}, {2057, 0, "no id"}} << 2;
        QTest::newRow("empty locale cell is locale 0")
            << QList<SheetCell>{{1, 3, Value("name")}, {2, 2, Value(2057)}, {3, 1, Value(1)}, {3, 3, Value("x")}}
            << QList<Entry>{{2057, 1, ""}, {0, 1, "x"}} << 2;
        QTest::newRow("IDs as text and halves to even")
            << QList<SheetCell>{{1, 2, Value("n")}, {2, 2, Value(" 1031 ")}, {3, 1, Value(2.5)}, {4, 1, Value(3.5)},
                               {5, 1, Value("1e2")},   {6, 1, Value(-0.5)}}
            << QList<Entry>{{1031, 2, ""}, {1031, 4, ""}, {1031, 100, ""}, {1031, 0, ""}} << 4;
        QTest::newRow("literal formula text comes back without the apostrophe")
            << QList<SheetCell>{{1, 2, Value("n")}, {2, 2, Value(2057)}, {3, 1, Value(1)}, {3, 2, Value("'=SUM(A1)")},
                               {4, 1, Value(2)},    {4, 2, Value("''q")}}
            << QList<Entry>{{2057, 1, "=SUM(A1)"}, {2057, 2, "'q"}} << 2;
        QTest::newRow("number in a text column in its displayed form")
            << QList<SheetCell>{{1, 2, Value("n")}, {2, 2, Value(2057)}, {3, 1, Value(1)}, {3, 2, Value(0.5)}, {4, 1, Value(2)},
                               {4, 2, Value(12)}}
            << QList<Entry>{{2057, 1, "0.5"}, {2057, 2, "12"}} << 2;
        // Row 1 is empty, so the used range starts at row 2: row 3 is taken for the locale IDs.
        QTest::newRow("first row empty: read shifted")
            << QList<SheetCell>{{2, 2, Value(2057)}, {3, 1, Value(7)}, {3, 2, Value(100)}, {4, 1, Value(8)},
                               {4, 2, Value("eight")}}
            << QList<Entry>{{100, 8, "eight"}} << 1;
        // Column A is empty as well: the used range starts at B2.
        QTest::newRow("first row and column empty: read shifted")
            << QList<SheetCell>{{2, 3, Value("n")}, {3, 3, Value(2057)}, {4, 2, Value(7)}, {4, 3, Value("seven")}}
            << QList<Entry>{{2057, 7, "seven"}} << 1;
    }
    void readsColumnByColumn()
    {
        QFETCH(QList<SheetCell>, cells);
        QFETCH(QList<Entry>, expected);
        QFETCH(int, progressMaximum);
        auto app = startExcel();
        excel::Workbook *book = bookWith(*app, cells);
        resutil::ResStrings strings;
        fill(strings, {{1033, 99, "gone"}});
        RecordingFeedback feedback;
        const qm::Status status = importStrings(*book, QStringLiteral("Project1"), strings, feedback);
        QVERIFY2(status.ok(), qPrintable(status.errorString()));
        QCOMPARE(entriesOf(strings), expected);
        QCOMPARE(feedback.progressMaximum, progressMaximum);
        QCOMPARE(feedback.captions.first(), QStringLiteral("Importing"));
        QCOMPARE(feedback.captions.last(), QStringLiteral("Import complete"));
        QVERIFY(feedback.messages.isEmpty());
        QVERIFY(strings.Changed());
    }

    // A sheet that gives no entry would empty the file: it is refused, and
    // the strings stay as they were.
    void tablesWithoutStringsAreRefused_data()
    {
        QTest::addColumn<QList<SheetCell>>("cells");
        QTest::addColumn<QString>("refusal");
        const QString none = QStringLiteral("holds no string");
        QTest::newRow("one column only") << QList<SheetCell>{{3, 1, Value(1)}, {4, 1, Value(2)}} << none;
        QTest::newRow("two rows only") << QList<SheetCell>{{1, 2, Value("n")}, {2, 2, Value(2057)}} << none;
        QTest::newRow("one row") << QList<SheetCell>{{1, 2, Value("a")}, {1, 3, Value("b")}} << none;
        QTest::newRow("empty sheet") << QList<SheetCell>{} << none;
        QTest::newRow("no locale ID can be read")
            << QList<SheetCell>{{1, 2, Value("n")}, {2, 2, Value("German")}, {2, 3, Value::error(excel::CellError::NA)},
                               {3, 1, Value(1)}}
            << QStringLiteral("no column has a locale ID that can be read");
    }
    void tablesWithoutStringsAreRefused()
    {
        QFETCH(QList<SheetCell>, cells);
        QFETCH(QString, refusal);
        auto app = startExcel();
        excel::Workbook *book = bookWith(*app, cells);
        resutil::ResStrings strings;
        fill(strings, {{1033, 99, "kept"}});
        strings.setChanged(false);
        RecordingFeedback feedback;
        const qm::Status status = importStrings(*book, QStringLiteral("Project1"), strings, feedback);
        QVERIFY(!status.ok());
        QVERIFY2(status.errorString().startsWith(QStringLiteral("Sheet \"Project1\": ")) && status.errorString().contains(refusal),
                 qPrintable(status.errorString()));
        QCOMPARE(entriesOf(strings), (QList<Entry>{{1033, 99, "kept"}}));
        QVERIFY(!strings.Changed());
    }

    void languageNameIsTheProgressCaption()
    {
        auto app = startExcel();
        excel::Workbook *book = bookWith(*app, {{1, 2, Value("English")}, {1, 3, Value(3)}, {2, 2, Value(2057)},
                                                {2, 3, Value(1031)},      {3, 1, Value(1)}});
        resutil::ResStrings strings;
        RecordingFeedback feedback;
        QVERIFY(importStrings(*book, QStringLiteral("Project1"), strings, feedback).ok());
        QCOMPARE(feedback.captions, (QStringList{"Importing", "English", "3", "Import complete"}));
    }

    void unreadableLocaleIdSkipsItsColumn_data()
    {
        QTest::addColumn<excel::Value>("localeCell");
        QTest::newRow("word") << Value("German");
        QTest::newRow("error value") << Value::error(excel::CellError::NA);
        QTest::newRow("Boolean") << Value::boolean(true);
        QTest::newRow("beyond 32 bits") << Value(2147483647.5);
        QTest::newRow("negative beyond 32 bits") << Value(-2147483649.0);
    }
    void unreadableLocaleIdSkipsItsColumn()
    {
        QFETCH(excel::Value, localeCell);
        auto app = startExcel();
        excel::Workbook *book = bookWith(*app, {{1, 2, Value("n")}, {2, 2, localeCell}, {2, 3, Value(1031)}, {3, 1, Value(1)},
                                                {4, 1, Value(2)},   {3, 2, Value("lost")}, {3, 3, Value("Ja")}});
        resutil::ResStrings strings;
        RecordingFeedback feedback;
        QVERIFY(importStrings(*book, QStringLiteral("Project1"), strings, feedback).ok());
        QCOMPARE(entriesOf(strings), (QList<Entry>{{1031, 1, "Ja"}, {1031, 2, ""}}));
        QCOMPARE(feedback.messages,
                 QStringList{"Error reading Locale ID from cell:\r\nRow = 2\r\nColumn = 2\r\n"
                             "This language will not be imported."});
        QCOMPARE(feedback.progressValue, feedback.progressMaximum);
        QCOMPARE(feedback.progressMaximum, 4);
    }

    void localeIdRangeEdges()
    {
        auto app = startExcel();
        excel::Workbook *book = bookWith(*app, {{1, 2, Value("n")}, {2, 2, Value(2147483647.0)}, {2, 3, Value(-2147483648.5)},
                                                {3, 1, Value(-2147483648.0)}});
        resutil::ResStrings strings;
        RecordingFeedback feedback;
        QVERIFY(importStrings(*book, QStringLiteral("Project1"), strings, feedback).ok());
        QCOMPARE(entriesOf(strings), (QList<Entry>{{2147483647, -2147483647 - 1, ""}, {-2147483647 - 1, -2147483647 - 1, ""}}));
    }

    // A failed import changes nothing: the strings stay exactly as they were.
    void unreadableStringIdFailsAndKeepsTheStrings_data()
    {
        QTest::addColumn<excel::Value>("idCell");
        QTest::newRow("word") << Value("ten");
        QTest::newRow("error value") << Value::error(excel::CellError::Ref);
        QTest::newRow("too large") << Value(4294967296.0);
    }
    void unreadableStringIdFailsAndKeepsTheStrings()
    {
        QFETCH(excel::Value, idCell);
        auto app = startExcel();
        excel::Workbook *book = bookWith(*app, {{1, 2, Value("n")}, {2, 2, Value(2057)}, {2, 3, Value(1031)}, {3, 1, Value(1)},
                                                {4, 1, idCell},      {3, 2, Value("a")}});
        resutil::ResStrings strings;
        const QList<Entry> before{{2057, 1, "old"}, {1031, 1, "alt"}, {1036, 3, "vieux"}};
        fill(strings, before);
        strings.setChanged(false);
        RecordingFeedback feedback;
        const qm::Status status = importStrings(*book, QStringLiteral("Project1"), strings, feedback);
        QVERIFY(!status.ok());
        QVERIFY2(status.errorString().contains(QStringLiteral("A4")), qPrintable(status.errorString()));
        QCOMPARE(entriesOf(strings), before);
        QVERIFY(!strings.Changed());
        QVERIFY(!feedback.captions.contains("Import complete"));
    }

    void missingSheetFailsAndKeepsTheStrings()
    {
        auto app = startExcel();
        excel::Workbook *book = bookWith(*app, {{2, 2, Value(2057)}}, QStringLiteral("Other"));
        resutil::ResStrings strings;
        fill(strings, {{2057, 1, "old"}});
        RecordingFeedback feedback;
        QVERIFY(!importStrings(*book, QStringLiteral("Project1"), strings, feedback).ok());
        QCOMPARE(entriesOf(strings), (QList<Entry>{{2057, 1, "old"}}));
    }

    // A stray cell far out would make billions of entries: refused, nothing changed.
    void hugeUsedRangeIsRefused()
    {
        auto app = startExcel();
        excel::Workbook *book =
            bookWith(*app, {{2, 2, Value(2057)}, {excel::XlsxMaxRows, excel::XlsxMaxColumns, Value("far")}});
        resutil::ResStrings strings;
        fill(strings, {{2057, 1, "old"}});
        RecordingFeedback feedback;
        const qm::Status status = importStrings(*book, QStringLiteral("Project1"), strings, feedback);
        QVERIFY(!status.ok());
        QVERIFY2(status.errorString().contains(QStringLiteral("XFD1048576")), qPrintable(status.errorString()));
        QCOMPARE(strings.Count(), 1);
    }

    void messageTexts()
    {
        QCOMPARE(ExcelTransfer::cellMessage(7, 3, QStringLiteral("German")),
                 QStringLiteral("Error reading cell:\r\nRow = 7\r\nColumn = 3 (German)"));
        LgvStringModule::setCurrentUILanguage(1031);
        const QString german = ExcelTransfer::localeIdMessage(4);
        LgvStringModule::setCurrentUILanguage(2057);
        QVERIFY(german.contains(QStringLiteral("\r\n")));
        QVERIFY(german != ExcelTransfer::localeIdMessage(4));
    }
};

QTEST_MAIN(ExcelImportTest)
#include "excelimport_test.moc"
