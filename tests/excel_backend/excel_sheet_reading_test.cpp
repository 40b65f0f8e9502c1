#include "platform/excel/Application.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/io/ReadBudget.h"
#include "platform/excel/model/Worksheet.h"

#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

using namespace excel;

// A workbook's sheets are read one at a time, when they are asked for, and
// all of them together within one budget per file.
class ExcelSheetReadingTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<Application> m_app;

    static constexpr int CellsPerSheet = 3000;

    QString writeThreeSheets(const QString &name)
    {
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        (void)book->ActiveSheet()->SetName(QStringLiteral("A"));
        for (const char *sheetName : {"B", "C"})
            (void)book->Worksheets().Add().value()->SetName(QString::fromLatin1(sheetName));
        for (int s = 1; s <= 3; ++s) {
            Worksheet *sheet = book->Worksheets().Item(s).value();
            for (int r = 1; r <= CellsPerSheet; ++r)
                (void)sheet->Cells().Set(r, 1, QStringLiteral("%1%2").arg(sheet->Name()).arg(r));
        }
        const QString file = m_dir.filePath(name);
        if (!book->SaveAs(file).ok())
            return QString();
        return file;
    }

    struct LoweredLimit {
        qint64 saved = backend::ReadLimits::current().cells;
        explicit LoweredLimit(qint64 cells) { backend::ReadLimits::current().cells = cells; }
        ~LoweredLimit() { backend::ReadLimits::current().cells = saved; }
    };

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_app = std::move(Application::Create().value());
    }

    void sheetsAreReadWhenAskedForWithinOneBudget_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("xlsx") << "xlsx";
        QTest::newRow("xls") << "xls";
    }
    void sheetsAreReadWhenAskedForWithinOneBudget()
    {
        QFETCH(QString, extension);
        const QString file = writeThreeSheets(QStringLiteral("three.") + extension);
        QVERIFY(!file.isEmpty());
        const LoweredLimit limit(2 * CellsPerSheet + 10);
        Workbook *book = m_app->Workbooks().Open(file).value();
        QCOMPARE(book->Worksheets().Names(), QStringList({"A", "B", "C"}));
        for (int s = 1; s <= 3; ++s)
            QVERIFY(!book->Worksheets().at(s)->loaded());

        auto b = book->Worksheets().Item(QStringLiteral("B"));
        QVERIFY2(b.ok(), qPrintable(b.errorString()));
        QCOMPARE(b.value()->Cells().Text(CellsPerSheet, 1), QStringLiteral("B%1").arg(CellsPerSheet));
        QVERIFY(!book->Worksheets().at(1)->loaded());
        QVERIFY(book->Worksheets().Item(1).ok());
        // The third sheet passes what one file may hold, summed over its sheets.
        auto c = book->Worksheets().Item(QStringLiteral("C"));
        QVERIFY(!c.ok());
        QVERIFY2(c.errorString().startsWith(file) && c.errorString().contains(QStringLiteral("sheet \"C\""))
                     && c.errorString().contains(QStringLiteral("more than %1 cells").arg(2 * CellsPerSheet + 10)),
                 qPrintable(c.errorString()));
        QCOMPARE(book->Worksheets().Item(3).errorString(), c.errorString());
        QCOMPARE(book->Worksheets().at(3)->data().cellCount(), size_t(0));

        // Saving a changed sheet keeps the unread one, which reads from the new file.
        QVERIFY(book->Worksheets().Item(1).value()->Cells().Set(1, 2, QStringLiteral("changed")).ok());
        const qm::Status saved = book->Save();
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
        Workbook *again = m_app->Workbooks().Open(file).value();
        for (const QString &name : {QStringLiteral("A"), QStringLiteral("B")}) {
            auto sheet = again->Worksheets().Item(name);
            QVERIFY2(sheet.ok(), qPrintable(sheet.errorString()));
            QCOMPARE(sheet.value()->Cells().Text(7, 1), name + QStringLiteral("7"));
        }
        QCOMPARE(again->Worksheets().Item(1).value()->Cells().Text(1, 2), QStringLiteral("changed"));
    }

    void anUnreadSheetReadsFromTheSavedFile_data() { sheetsAreReadWhenAskedForWithinOneBudget_data(); }
    void anUnreadSheetReadsFromTheSavedFile()
    {
        QFETCH(QString, extension);
        const QString file = writeThreeSheets(QStringLiteral("saved.") + extension);
        Workbook *book = m_app->Workbooks().Open(file).value();
        QVERIFY(book->Worksheets().Item(QStringLiteral("B")).value()->Cells().Set(2, 2, QStringLiteral("new")).ok());
        QVERIFY(book->Worksheets().Add().value()->Cells().Set(1, 1, QStringLiteral("D1")).ok());
        QVERIFY(book->Save().ok());
        QVERIFY(!book->Worksheets().at(3)->loaded());
        auto c = book->Worksheets().Item(QStringLiteral("C"));
        QVERIFY2(c.ok(), qPrintable(c.errorString()));
        QCOMPARE(c.value()->Cells().Text(CellsPerSheet, 1), QStringLiteral("C%1").arg(CellsPerSheet));
        QCOMPARE(book->Worksheets().Item(4).value()->Cells().Text(1, 1), QStringLiteral("D1"));
        // And saved again, with every sheet as it is.
        QVERIFY(c.value()->Cells().Set(1, 3, QStringLiteral("more")).ok());
        QVERIFY(book->Save().ok());
        Workbook *again = m_app->Workbooks().Open(file).value();
        QCOMPARE(again->Worksheets().Item(QStringLiteral("A")).value()->Cells().Text(5, 1), QStringLiteral("A5"));
        QCOMPARE(again->Worksheets().Item(QStringLiteral("B")).value()->Cells().Text(2, 2), QStringLiteral("new"));
        QCOMPARE(again->Worksheets().Item(QStringLiteral("C")).value()->Cells().Text(1, 3), QStringLiteral("more"));
        QCOMPARE(again->Worksheets().Item(QStringLiteral("C")).value()->Cells().Text(9, 1), QStringLiteral("C9"));
    }

    // The texts of a big sheet share large blocks, and its rows a pool: what
    // is read stays right however it is written, copied, changed, cleared or
    // outlives the workbook it came from.
    void textsReadInBlocksStayIndependent()
    {
        auto app = Application::Create();
        QVERIFY2(app.ok(), qPrintable(app.errorString()));
        Workbook *book = app.value()->Workbooks().Add(xlWBATWorksheet).value();
        Worksheet *sheet = book->ActiveSheet();
        constexpr int Rows = 2500, Columns = 9;
        // Some texts far beyond ASCII, some with the format's escape, one
        // longer than a first block, and empty ones, which leave their cell empty.
        auto textOf = [](int r, int c) -> QString {
            if (r == 7 && c == 3)
                return QString(MaxTextLength, QChar(u'\u00e9'));
            switch ((r + c) % 5) {
            case 0: return QStringLiteral("Zeile %1 \u00fc\u4e2d\U0001F600 %2").arg(r).arg(c);
            case 1: return QStringLiteral("_x000D_ literal %1").arg(r);
            case 2: return (r % 3) ? QStringLiteral("%1,%2").arg(r).arg(c) : QString();
            default: return QStringLiteral("text %1 in column %2").arg(r).arg(c);
            }
        };
        // Column by column, so that every row grows cell by cell.
        for (int c = Columns; c >= 1; --c)
            for (int r = 1; r <= Rows; ++r)
                QVERIFY(sheet->Cells().Set(r, c, textOf(r, c)).ok());
        const QString file = m_dir.filePath(QStringLiteral("blocks.xlsx"));
        QVERIFY(book->SaveAs(file).ok());

        Workbook *read = app.value()->Workbooks().Open(file).value();
        Worksheet *readSheet = read->ActiveSheet();
        QStringList texts;
        for (int r = 1; r <= Rows; ++r)
            for (int c = 1; c <= Columns; ++c) {
                const QString text = readSheet->Cells().Text(r, c);
                QCOMPARE(text, textOf(r, c));
                // Each text ends in a null, as a QString's data does.
                QCOMPARE(text.utf16()[text.size()], u'\0');
                texts << text;
            }
        QString changed = texts[1];
        changed[0] = u'#';
        changed += QStringLiteral(" and more");
        QCOMPARE(texts[1], textOf(1, 2));
        QCOMPARE(readSheet->Cells().Text(1, 3), textOf(1, 3));

        // A sheet read from a file takes new cells after a clear.
        readSheet->Cells().Clear();
        QCOMPARE(readSheet->Cells().Text(2, 2), QString());
        QVERIFY(readSheet->Cells().Set(2, 2, QStringLiteral("again")).ok());
        QCOMPARE(readSheet->Cells().Text(2, 2), QStringLiteral("again"));

        app.value()->Quit();
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(texts[i], textOf(i / Columns + 1, i % Columns + 1));
    }
};

QTEST_GUILESS_MAIN(ExcelSheetReadingTest)
#include "excel_sheet_reading_test.moc"
