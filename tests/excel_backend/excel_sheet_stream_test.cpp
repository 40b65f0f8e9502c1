#include "platform/excel/Application.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/biff/BiffSstWriter.h"
#include "platform/excel/SheetStream.h"

#include "tests/testlib/HeapInUse.h"
#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

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

    static QString longText(int row, int column)
    {
        switch ((row + column) % 5) {
        case 0: return QStringLiteral("Plain text %1 in column %2, long enough to fill records").arg(row).arg(column);
        case 1: return QString::fromUtf8("\u6587\u5b57\u5217 %1 \u756a %2").arg(row).arg(column);
        case 2: return QStringLiteral("Grüße %1").arg(row);
        case 3: return QStringLiteral("shared by many");
        default: return QString::fromUtf8("\U0001F600 %1 \U0001D11E").arg(row);
        }
    }
    // Texts longer than a record: wide, one byte a character, and surrogate
    // pairs at every odd offset so that any split falls at one.
    static QString hugeText(int which)
    {
        switch (which) {
        case 0: return QString(5000, QChar(0x6587));
        case 1: return QString(9000, u'L');
        default: return QStringLiteral("x") + QString::fromUtf8("\U0001F600").repeated(4200);
        }
    }

    void writeAndReadEveryString(const QString &name, bool spilled)
    {
        constexpr int rows = 6000, columns = 4;
        Worksheet *sheet = newSheet();
        Workbook &book = sheet->Parent();
        Worksheet *cells = book.Worksheets().Add().value();
        QVERIFY(cells->SetName(QStringLiteral("Cells")).ok());
        const auto expected = [](int r, int c) { return r <= 3 && c == 1 ? hugeText(r - 1) : longText(r, c); };
        {
            SheetStream stream(*sheet, rows, columns, FileFormat::Xls);
            for (int r = 1; r <= rows; ++r)
                for (int c = 1; c <= columns; ++c)
                    QVERIFY(stream.Set(r, c, Value(expected(r, c))).ok());
            QVERIFY(stream.finish().ok());
        }
        QCOMPARE(bool(sheet->streamedPart->spilled), spilled);
        // The texts so far: one shared, and those of rows that differ in row + column.
        const std::uint32_t unique = sheet->streamedPart->strings->size();
        QVERIFY(unique < std::uint32_t(rows * columns) * 4 / 5 + 10);
        QVERIFY(cells->Cells().Set(1, 1, Value(expected(1, 2))).ok());
        QVERIFY(cells->Cells().Set(2, 1, Value(hugeText(2))).ok());
        QVERIFY(cells->Cells().Set(3, 1, Value(QStringLiteral("new in the cells"))).ok());
        const qm::Status saved = book.SaveAs(path(name));
        QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
        QCOMPARE(sheet->streamedPart->strings->size(), unique);

        auto reread = m_app->Workbooks().Open(path(name));
        QVERIFY(reread);
        const Worksheet *got = reread.value()->Worksheets().Item(QStringLiteral("Strings")).value();
        const Worksheet *gotCells = reread.value()->Worksheets().Item(QStringLiteral("Cells")).value();
        QVERIFY(got && gotCells);
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= columns; ++c)
                QVERIFY2(got->Cells().Text(r, c) == expected(r, c), qPrintable(QStringLiteral("row %1, column %2").arg(r).arg(c)));
        QCOMPARE(gotCells->Cells().Text(1, 1), expected(1, 2));
        QCOMPARE(gotCells->Cells().Text(2, 1), hugeText(2));
        QCOMPARE(gotCells->Cells().Text(3, 1), QStringLiteral("new in the cells"));
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

    // A new .xls sheet written as a stream is byte for byte the file the
    // same cells written through Cells make, and holds no cells itself.
    void streamedXlsIsTheFileCellsMake()
    {
        constexpr int rows = 40000, columns = 5;
        Worksheet *byCells = newSheet();
        Worksheet *streamed = newSheet();
        SheetStream stream(*streamed, rows, columns, FileFormat::Xls);
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= columns; ++c) {
                const Value v = cellAt(r, c);
                QVERIFY(byCells->Cells().Set(r, c, v).ok());
                const qm::Status set = stream.Set(r, c, v);
                QVERIFY2(set.ok(), qPrintable(set.errorString()));
            }
        QVERIFY(!stream.Set(rows, columns + 1, Value(1)).ok());
        QVERIFY(stream.finish().ok());
        QVERIFY(streamed->streamedPart && streamed->streamedPart->biff && streamed->data().cellCount() == 0);
        QVERIFY(byCells->Parent().SaveAs(path(QStringLiteral("cells.xls"))).ok());
        for (const QString &name : {QStringLiteral("streamed.xls"), QStringLiteral("again.xls")}) {
            const qm::Status saved = streamed->Parent().SaveAs(path(name));
            QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
            QFile want(path(QStringLiteral("cells.xls"))), got(path(name));
            QVERIFY(want.open(QIODevice::ReadOnly) && got.open(QIODevice::ReadOnly));
            QVERIFY(want.size() > 1 << 20);
            QVERIFY2(got.readAll() == want.readAll(), qPrintable(name));
        }
        const qm::Status asXlsx = streamed->Parent().SaveAs(path(QStringLiteral("streamed.xlsx")));
        QVERIFY(!asXlsx.ok());
        QVERIFY2(asXlsx.errorString().contains(QStringLiteral("saved only as a new .xls file")), qPrintable(asXlsx.errorString()));
        const Worksheet *read = reopened(path(QStringLiteral("streamed.xls")));
        QVERIFY(read);
        QCOMPARE(read->Cells().Value(rows, 1), Value(double(rows)));
        QCOMPARE(read->Cells().Text(rows, 4), cellAt(rows, 4).text());
    }

    // Two streamed sheets of one workbook share one string table, and a
    // sheet of cells beside them adds its texts without changing it.
    void streamedXlsSheetsShareTheirStrings()
    {
        Worksheet *first = newSheet();
        Workbook &book = first->Parent();
        Worksheet *second = book.Worksheets().Add().value();
        Worksheet *third = book.Worksheets().Add().value();
        for (Worksheet *sheet : {first, second}) {
            SheetStream stream(*sheet, 2, 2, FileFormat::Xls);
            QVERIFY(stream.Set(1, 1, Value(QStringLiteral("shared"))).ok());
            QVERIFY(stream.Set(2, 2, Value(sheet == first ? QStringLiteral("one") : QStringLiteral("two"))).ok());
            QVERIFY(stream.finish().ok());
        }
        QVERIFY(first->streamedPart->strings == second->streamedPart->strings);
        QCOMPARE(first->streamedPart->strings->size(), 3u);
        QVERIFY(third->Cells().Set(1, 1, Value(QStringLiteral("cells"))).ok());
        for (const QString &name : {QStringLiteral("shared.xls"), QStringLiteral("shared2.xls")}) {
            const qm::Status saved = book.SaveAs(path(name));
            QVERIFY2(saved.ok(), qPrintable(saved.errorString()));
            QCOMPARE(first->streamedPart->strings->size(), 3u);
            QCOMPARE(first->streamedPart->strings->references(), 4u);
        }
        auto reread = m_app->Workbooks().Open(path(QStringLiteral("shared2.xls")));
        QVERIFY(reread);
        QCOMPARE(reread.value()->Worksheets().Count(), 3);
        QStringList texts;
        for (int i = 1; i <= 3; ++i) {
            auto sheet = reread.value()->Worksheets().Item(i);
            QVERIFY(sheet);
            texts << sheet.value()->Cells().Text(1, 1) << sheet.value()->Cells().Text(2, 2);
        }
        QCOMPARE(texts, (QStringList{"shared", "one", "shared", "two", "cells", ""}));
    }

    // The string table keeps its characters on disk: what it holds in memory
    // is a few bytes a string, however long the texts, and equal texts far
    // apart (long gone from its buffer) are still kept once, in a copy too.
    void stringTableHoldsBytesAStringNotItsCharacters()
    {
        constexpr int count = 200000;
        const auto text = [](int i) { return QStringLiteral("Text number %1 of the long table").arg(i, 7, 10, QLatin1Char('0')); };
        backend::biff::SstWriter sst(count + 2);
        QCOMPARE(sst.index(QString::fromUtf8("\u3042 wide")), 0u);
        for (int i = 1; i < count; ++i)
            QCOMPARE(sst.index(text(i)), std::uint32_t(i));
        QCOMPARE(sst.index(text(17)), 17u);
        QCOMPARE(sst.index(QString::fromUtf8("\u3042 wide")), 0u);
        QCOMPARE(sst.index(QStringLiteral("Grüße")), std::uint32_t(count));
        QCOMPARE(sst.index(QStringLiteral("Grüße")), std::uint32_t(count));
        QCOMPARE(sst.index(QString::fromUtf8("\u3042")), std::uint32_t(count + 1));
        QCOMPARE(sst.size(), std::uint32_t(count + 2));
        QCOMPARE(sst.references(), std::uint32_t(count + 5));
        // 40 characters a text, none of them in memory.
        const std::size_t buffers = 2 * backend::biff::SstChars::BufferBytes;
        QVERIFY2(sst.heldBytes() < std::size_t(count) * 24 + buffers, qPrintable(QString::number(sst.heldBytes())));
        QVERIFY(sst.problem().isEmpty());

        backend::biff::SstWriter copy(sst);
        QCOMPARE(copy.index(QStringLiteral("only in the copy")), std::uint32_t(count + 2));
        QCOMPARE(sst.index(QStringLiteral("only in the original")), std::uint32_t(count + 2));
        QCOMPARE(copy.index(text(23)), 23u);
        QCOMPARE(copy.index(QString::fromUtf8("\u3042 wide")), 0u);
        for (const auto *table : {&sst, &copy}) {
            const QByteArray records = table->records(100);
            QCOMPARE(qint64(records.size()), table->recordsSize());
            QVERIFY(records.contains(text(count - 1).toLatin1()));
            QCOMPARE(records.contains("only in the copy"), table == &copy);
            QCOMPARE(records.contains("only in the original"), table == &sst);
        }
    }

    // A file that takes no more characters stops the table with the reason,
    // never a table of lost strings written as if whole.
    void stringTableOnAFullDiskSaysSo()
    {
        const int full = ::open("/dev/full", O_RDWR | O_CLOEXEC);
        if (full < 0)
            QSKIP("no /dev/full");
        backend::biff::SstWriter sst(10, backend::biff::SstChars(full));
        for (int i = 0; sst.problem().isEmpty() && i < 100000; ++i)
            sst.index(QStringLiteral("Text %1 that fills the buffer").arg(i));
        QVERIFY2(sst.problem().contains(QStringLiteral("temporary file (No space left on device)")), qPrintable(sst.problem()));
        QVERIFY(!sst.writeRecords(0, [](const char *, std::size_t) { return true; }));
    }

    // Texts of both widths, longer than a record and with surrogate pairs
    // where records split, repeated far apart, in a streamed .xls sheet and
    // a sheet of cells beside it: every one reads back exactly, and equal
    // ones share one string.
    void streamedXlsKeepsEveryString()
    {
        writeAndReadEveryString(QStringLiteral("strings.xls"), true);
    }

    // Without a temporary folder the records and the strings stay in memory
    // and the file is the same.
    void streamedXlsWithoutTemporaryFolder()
    {
        const QByteArray before = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(path(QStringLiteral("no such folder"))));
        writeAndReadEveryString(QStringLiteral("in-memory.xls"), false);
        if (before.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", before);
        QFile a(path(QStringLiteral("strings.xls"))), b(path(QStringLiteral("in-memory.xls")));
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QVERIFY(a.readAll() == b.readAll());
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

    // Written as a stream, a sheet's part goes to the compressor and on to
    // disk as it grows: the heap holds the compressor's state and a few
    // buffers of a quarter megabyte, never more as the part grows (about
    // 1.2 MB; it was 1.8 MB when the markup went over in quarter megabytes).
    void streamedSheetHoldsLittleWhileItIsWritten()
    {
        constexpr int rows = 60000, columns = 8;
        Worksheet *sheet = newSheet();
        const qint64 before = testlib::heapInUse();
        qint64 most = 0;
        {
            SheetStream stream(*sheet, rows, columns);
            for (int r = 1; r <= rows; ++r) {
                for (int c = 1; c <= columns; ++c)
                    QVERIFY(stream.Set(r, c, Value(longText(r, c))).ok());
                if (r % 200 == 0)
                    most = std::max(most, testlib::heapInUse() - before);
            }
            QVERIFY(stream.finish().ok());
        }
        QVERIFY(sheet->streamedPart && sheet->streamedPart->spilled && sheet->streamedPart->size > 24u << 20);
        QVERIFY2(most < 1536 << 10, qPrintable(QStringLiteral("%1 bytes held").arg(most)));
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
