#include "platform/excel/Application.h"
#include "platform/excel/Constants.h"
#include "platform/excel/SheetStream.h"

#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

using namespace excel;

class ExcelSheetStreamTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<Application> m_app;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    Worksheet *newSheet()
    {
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        Worksheet *sheet = book->ActiveSheet();
        (void)sheet->SetName(QStringLiteral("Strings"));
        (void)sheet->Cells().SetHorizontalAlignment(xlLeft);
        return sheet;
    }

    Worksheet *reopened(const QString &file)
    {
        auto book = m_app->Workbooks().Open(file);
        if (!book)
            return nullptr;
        auto sheet = book.value()->Worksheets().Item(QStringLiteral("Strings"));
        return sheet ? sheet.value() : nullptr;
    }

    // Numbers in column A, texts elsewhere: quote prefixes, blanks kept by
    // the format, markup, texts beyond the BMP, empty cells and whole empty rows.
    static Value cellAt(int row, int column)
    {
        static const QString texts[] = {QStringLiteral("'=SUM(A1)"), QStringLiteral("  padded "),
                                        QStringLiteral("<&\"q\">"), QStringLiteral("😀 %1"), QStringLiteral("Grüße %1"),
                                        QStringLiteral("''"), QString()};
        if (row % 97 == 0)
            return Value();
        if (column == 1)
            return Value(double(row));
        const QString &text = texts[(row * 7 + column) % 7];
        return Value(text.contains(QLatin1String("%1")) ? text.arg(row) : text);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        auto app = Application::Create();
        QVERIFY(app.ok());
        m_app = std::move(app.value());
    }

    // A sheet of many compressed pieces reads back exactly as the same cells
    // written through Cells.
    void streamedSheetReadsBackAsCellsWritten()
    {
        constexpr int rows = 40000, columns = 6;
        Worksheet *byCells = newSheet();
        Worksheet *streamed = newSheet();
        SheetStream stream(*streamed, rows, columns);
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= columns; ++c) {
                const Value v = cellAt(r, c);
                QVERIFY(byCells->Cells().Set(r, c, v).ok());
                const qm::Status set = stream.Set(r, c, v);
                QVERIFY2(set.ok(), qPrintable(set.errorString()));
            }
        QVERIFY(stream.finish().ok());
        QVERIFY(streamed->streamedPart && streamed->streamedPart->size > 8u << 20);
        QVERIFY(byCells->Parent().SaveAs(path(QStringLiteral("cells.xlsx"))).ok());
        const qm::Status saved = streamed->Parent().SaveAs(path(QStringLiteral("streamed.xlsx")));
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));

        const Worksheet *want = reopened(path(QStringLiteral("cells.xlsx")));
        const Worksheet *got = reopened(path(QStringLiteral("streamed.xlsx")));
        QVERIFY(want && got);
        QCOMPARE(got->UsedRange().RowsCount(), want->UsedRange().RowsCount());
        QCOMPARE(got->UsedRange().ColumnsCount(), want->UsedRange().ColumnsCount());
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= columns; ++c) {
                const QString where = QStringLiteral("row %1, column %2").arg(r).arg(c);
                QVERIFY2(got->Cells().Value(r, c) == want->Cells().Value(r, c), qPrintable(where));
                QVERIFY2(got->Cells().Text(r, c) == want->Cells().Text(r, c), qPrintable(where));
                const Cell *wantCell = want->data().find(r, c);
                const Cell *gotCell = got->data().find(r, c);
                QVERIFY2(bool(wantCell) == bool(gotCell), qPrintable(where));
                if (wantCell)
                    QVERIFY2(got->Parent().formats().at(gotCell->xf) == want->Parent().formats().at(wantCell->xf),
                             qPrintable(where));
            }
    }

    // Cells come in order and within the extent given; a refused cell
    // leaves those before it to be saved.
    void cellsOutOfOrderOrOutsideAreRefused()
    {
        Worksheet *sheet = newSheet();
        SheetStream stream(*sheet, 3, 2);
        QVERIFY(stream.Set(1, 2, Value(1)).ok());
        QVERIFY(!stream.Set(1, 2, Value(2)).ok());
        QVERIFY(!stream.Set(1, 1, Value(2)).ok());
        QVERIFY(!stream.Set(2, 3, Value(2)).ok());
        QVERIFY(!stream.Set(4, 1, Value(2)).ok());
        const qm::Status tooLong = stream.Set(2, 1, Value(QString(MaxTextLength + 1, u'x')));
        QVERIFY(!tooLong.ok());
        QVERIFY2(tooLong.errorString().contains(QStringLiteral("a cell holds at most")), qPrintable(tooLong.errorString()));
        QVERIFY(stream.Set(3, 1, Value(QStringLiteral("last"))).ok());
        QVERIFY(stream.finish().ok());
        QVERIFY(!stream.Set(3, 2, Value(1)).ok());
        QVERIFY(sheet->Parent().SaveAs(path(QStringLiteral("order.xlsx"))).ok());
        const Worksheet *read = reopened(path(QStringLiteral("order.xlsx")));
        QVERIFY(read);
        QCOMPARE(read->Cells().Value(1, 2), Value(1));
        QCOMPARE(read->Cells().Text(3, 1), QStringLiteral("last"));
        QVERIFY(read->Cells().Value(2, 1).isEmpty());
    }

    // The streamed part is all the sheet has: it cannot be saved as .xls or
    // changed cell by cell, and clearing the sheet starts it afresh.
    void streamedSheetKeepsToItsPart()
    {
        Worksheet *sheet = newSheet();
        SheetStream stream(*sheet, 1, 1);
        QVERIFY(stream.Set(1, 1, Value(QStringLiteral("kept"))).ok());
        QVERIFY(stream.finish().ok());
        const qm::Status asXls = sheet->Parent().SaveAs(path(QStringLiteral("stream.xls")));
        QVERIFY(!asXls.ok());
        QVERIFY2(asXls.errorString().contains(QStringLiteral("saved only as .xlsx")), qPrintable(asXls.errorString()));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("stream.xls"))));
        QVERIFY(!sheet->Cells().Set(1, 2, Value(1)).ok());
        sheet->Cells().Clear();
        QVERIFY(sheet->Cells().Set(1, 2, Value(1)).ok());
        QVERIFY(sheet->Parent().SaveAs(path(QStringLiteral("cleared.xlsx"))).ok());
        const Worksheet *read = reopened(path(QStringLiteral("cleared.xlsx")));
        QVERIFY(read);
        QVERIFY(read->Cells().Value(1, 1).isEmpty());
        QCOMPARE(read->Cells().Value(1, 2), Value(1));
    }
};

QTEST_MAIN(ExcelSheetStreamTest)
#include "excel_sheet_stream_test.moc"
