#include "TransferTestSupport.h"

#include "platform/excel/io/ZipArchive.h"
#include "platform/resutil/ResStrings.h"
#include "transfer/CellConversion.h"
#include "tests/testlib/HeapInUse.h"
#include "tests/testlib/HeapPeak.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QtTest>

namespace {

// All a read gives: entries, messages, progress and its failure.
struct ReadRecord : ExcelTransfer::StringSink {
    QStringList entries;
    qint64 expected = -1;
    RecordingFeedback feedback;
    QString failure;
    void expect(qint64 cells) override { expected = cells; }
    void add(qint32 localeId, qint32 id, QString text) override
    {
        entries.append(QStringLiteral("%1/%2=%3").arg(localeId).arg(id).arg(text));
    }
    QString summary() const
    {
        return QStringList{entries.join(QLatin1Char('|')), QString::number(expected), feedback.messages.join(QLatin1Char('|')),
                           feedback.captions.join(QLatin1Char('|')),
                           QStringLiteral("%1..%2 at %3")
                               .arg(feedback.progressMinimum)
                               .arg(feedback.progressMaximum)
                               .arg(feedback.progressValue),
                           failure}
            .join(QLatin1Char('\n'));
    }
};

const QByteArray kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// Formats: 0 general, 1 a date, 2 general but a format of its own, 3 two decimals.
const QByteArray kStyles = "<styleSheet xmlns=\"" + kMain + "\"><numFmts count=\"1\"><numFmt numFmtId=\"164\" "
                           "formatCode=\"0.00\"/></numFmts><cellXfs count=\"4\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>"
                           "<xf numFmtId=\"0\"><alignment horizontal=\"left\"/></xf><xf numFmtId=\"164\"/></cellXfs></styleSheet>";

QByteArray packageBytes(const QByteArray &sheetXml, const QByteArray &sharedStrings)
{
    QByteArray rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"" + kRel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                      "<Relationship Id=\"rId2\" Type=\"" + kRel + "/styles\" Target=\"styles.xml\"/>";
    if (!sharedStrings.isEmpty())
        rels += "<Relationship Id=\"rId3\" Type=\"" + kRel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
    rels += "</Relationships>";
    auto zip = excel::backend::ZipWriter::create();
    const auto put = [&](const char *name, const QByteArray &bytes) { QVERIFY(zip->put(QString::fromLatin1(name), bytes).ok()); };
    put("[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>");
    put("_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
                       "Id=\"rId1\" Type=\"" + kRel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    put("xl/workbook.xml", "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRel + "\"><sheets><sheet name=\"big\" "
                           "sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
    put("xl/_rels/workbook.xml.rels", rels);
    put("xl/styles.xml", kStyles);
    if (!sharedStrings.isEmpty())
        put("xl/sharedStrings.xml", "<sst xmlns=\"" + kMain + "\">" + sharedStrings + "</sst>");
    put("xl/worksheets/sheet1.xml", "<worksheet xmlns=\"" + kMain + "\">" + sheetXml + "</worksheet>");
    return zip->finish().value();
}

QByteArray text(const char *ref, const QByteArray &value)
{
    return QByteArray("<c r=\"") + ref + "\" t=\"inlineStr\"><is><t>" + value + "</t></is></c>";
}

QByteArray number(const char *ref, const QByteArray &value, int xf = 0)
{
    return QByteArray("<c r=\"") + ref + "\"" + (xf ? " s=\"" + QByteArray::number(xf) + "\"" : QByteArray()) + "><v>" +
        value + "</v></c>";
}

QByteArray row(int r, const QByteArray &cells)
{
    return "<row r=\"" + QByteArray::number(r) + "\">" + cells + "</row>";
}

QByteArray sheetData(const QByteArray &rows, const QByteArray &before = {})
{
    return before + "<sheetData>" + rows + "</sheetData>";
}

} // namespace

class StreamedImportTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<excel::Application> m_app;

    QString write(const QByteArray &bytes)
    {
        static int files = 0;
        const QString path = m_dir.filePath(QStringLiteral("book%1.xlsx").arg(++files));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // Reads the sheet of a freshly opened book; `streamed` tells whether the
    // sheet stayed unread.
    ReadRecord read(const QString &path, const QString &sheetName, bool useStream, bool *streamed = nullptr)
    {
        ReadRecord record;
        auto book = m_app->Workbooks().Open(path);
        if (!book) {
            record.failure = book.errorString();
            return record;
        }
        const auto status = useStream
            ? ExcelTransfer::readStringsStreamed(*book.value(), sheetName, record.feedback, record)
            : ExcelTransfer::readStringsInto(*book.value(), sheetName, record.feedback, record);
        if (!status)
            record.failure = status.errorString();
        if (streamed) {
            const excel::Worksheet *sheet = book.value()->Worksheets().find(sheetName);
            *streamed = sheet && !sheet->loaded() && !sheet->loadFailure;
        }
        m_app->Workbooks().closeAll();
        return record;
    }

private slots:
    void initTestCase()
    {
        LgvStringModule::setCurrentUILanguage(2057);
        m_app = startExcel();
    }

    void streamGivesWhatTheSheetGives_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QByteArray>("sharedStrings");
        QTest::addColumn<QString>("sheetName");
        QTest::addColumn<bool>("streams");

        const QByteArray header = row(1, text("A1", "ID") + text("B1", "English") + text("C1", "German")) +
            row(2, number("B2", "2057") + number("C2", "1031"));
        QTest::newRow("plain table") << sheetData(header + row(3, number("A3", "10") + text("B3", "Yes") + text("C3", "Ja")) +
                                                  row(4, number("A4", "11") + text("B4", "No")))
                                     << QByteArray() << "big" << true;
        // The table at C4, with a dimension that claims A1.
        QTest::newRow("offset table, false dimension")
            << ("<dimension ref=\"A1:Z99\"/>" +
                sheetData(row(4, text("D4", "English") + text("E4", "x&amp;y")) + row(5, number("D5", "2057") + number("E5", "7")) +
                          row(6, number("C6", "1") + text("D6", "one") + text("E6", "&lt;1&gt;")) + row(7, number("C7", "2")) +
                          row(8, number("C8", "3") + text("E8", "three"))))
            << QByteArray() << "big" << true;
        // A cell with a format of its own widens the used range; one in the default format does not.
        QTest::newRow("formatted empty cells")
            << sheetData(row(1, "<c r=\"A1\" s=\"0\"/>" + text("B1", "English")) + row(2, number("B2", "2057")) +
                         row(3, number("A3", "5") + text("B3", "five")) + row(9, "<c r=\"D9\" s=\"2\"/>"))
            << QByteArray() << "big" << true;
        QTest::newRow("default format for all columns")
            << sheetData(row(1, "<c r=\"A1\" s=\"2\"/>" + text("B1", "English")) + row(2, number("B2", "2057")) +
                             row(3, number("A3", "5") + text("B3", "five")) + row(6, "<c r=\"F6\" s=\"2\"/><c r=\"G6\" s=\"3\"/>"),
                         "<cols><col min=\"1\" max=\"16384\" style=\"2\"/></cols>")
            << QByteArray() << "big" << true;
        QTest::newRow("numbers, dates, Booleans, errors as displayed")
            << sheetData(header + row(3, number("A3", "1") + number("B3", "45000", 1) + number("C3", "2.5", 3)) +
                         row(4, number("A4", "2") + "<c r=\"B4\" t=\"b\"><v>1</v></c><c r=\"C4\" t=\"e\"><v>#N/A</v></c>") +
                         row(5, number("A5", "3") + number("B5", "0.1") + "<c r=\"C5\" t=\"str\"><v>formula text</v></c>"))
            << QByteArray() << "big" << true;
        QTest::newRow("unreadable locale column")
            << sheetData(row(1, text("B1", "English") + text("C1", "Bad") + text("D1", "German")) +
                         row(2, number("B2", "2057") + text("C2", "not a locale") + number("D2", "1031")) +
                         row(3, number("A3", "1") + text("B3", "a") + text("C3", "b") + text("D3", "c")))
            << QByteArray() << "big" << true;
        QTest::newRow("ID not a number")
            << sheetData(header + row(3, number("A3", "1") + text("B3", "a")) + row(4, text("A4", "x4") + text("B4", "b")) +
                         row(5, text("A5", "x5")))
            << QByteArray() << "big" << true;
        QTest::newRow("no column with a locale")
            << sheetData(row(1, text("B1", "English")) + row(2, text("B2", "none")) + row(3, text("A3", "x") + text("B3", "a")))
            << QByteArray() << "big" << true;
        QTest::newRow("no body cells") << sheetData(header) << QByteArray() << "big" << true;
        QTest::newRow("empty sheet") << sheetData({}) << QByteArray() << "big" << true;
        QTest::newRow("no such sheet") << sheetData(header) << QByteArray() << "other" << false;
        QTest::newRow("sheet name in another case") << sheetData(header + row(3, number("A3", "1"))) << QByteArray() << "BIG"
                                                    << true;
        QTest::newRow("shared strings")
            << sheetData(header + row(3, number("A3", "1") + "<c r=\"B3\" t=\"s\"><v>0</v></c>" + text("C3", "Ja")))
            << QByteArray("<si><t>Yes</t></si>") << "big" << false;
        QTest::newRow("cells out of order in a row")
            << sheetData(header + row(3, text("C3", "Ja") + number("A3", "1") + text("B3", "Yes"))) << QByteArray() << "big"
            << false;
        QTest::newRow("a cell given twice")
            << sheetData(header + row(3, number("A3", "1") + text("B3", "first") + text("B3", "second"))) << QByteArray()
            << "big" << false;
        QTest::newRow("a fault of the file") << sheetData(header + row(3, number("A3", "1") + number("B3", "abc")))
                                             << QByteArray() << "big" << false;
        // The texts lie in one buffer, each followed by a null: one holding a null keeps it.
        QTest::newRow("a text holding a null")
            << sheetData(header + row(3, number("A3", "1") + text("B3", "a_x0000_b") + text("C3", "Ja")))
            << QByteArray() << "big" << true;
        // A long text's length is where its null lies: one holding a null is read with the sheet.
        QTest::newRow("a long text holding a null")
            << sheetData(header + row(3, number("A3", "1") + text("B3", QByteArray(300, 'x') + "_x0000_b") + text("C3", "Ja")))
            << QByteArray() << "big" << false;
        QTest::newRow("a long text") << sheetData(header + row(3, number("A3", "1") + text("B3", QByteArray(300, 'x') + "b")))
                                     << QByteArray() << "big" << true;
        QTest::newRow("a range too large to import")
            << sheetData(header + row(3, number("A3", "1") + text("B3", "Yes")) + row(1048576, "<c r=\"XFD1048576\" s=\"2\"/>"))
            << QByteArray() << "big" << true;
    }
    void streamGivesWhatTheSheetGives()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QByteArray, sharedStrings);
        QFETCH(QString, sheetName);
        QFETCH(bool, streams);
        const QString path = write(packageBytes(sheet, sharedStrings));
        const ReadRecord model = read(path, sheetName, false);
        bool streamed = false;
        const ReadRecord stream = read(path, sheetName, true, &streamed);
        QCOMPARE(stream.summary(), model.summary());
        QCOMPARE(streamed, streams);
    }

    // The entries themselves for one case, so that both reads agreeing is
    // not both being wrong: the formatted cell E9 widens the table to a
    // column without a locale ID (0) and a row without an ID (0).
    void streamedEntries()
    {
        const QString path = write(packageBytes(
            sheetData(row(4, text("D4", "English")) + row(5, number("D5", "2057")) + row(6, number("C6", "1") + number("D6", "45000", 1)) +
                      row(7, number("C7", "2")) + row(8, number("C8", "3") + number("D8", "2.5", 3)) + row(9, "<c r=\"E9\" s=\"2\"/>")),
            {}));
        bool streamed = false;
        const ReadRecord record = read(path, QStringLiteral("big"), true, &streamed);
        QVERIFY(streamed);
        QCOMPARE(record.failure, QString());
        QCOMPARE(record.entries.join(QLatin1Char('|')),
                 QStringLiteral("2057/1=03-15-23|2057/2=|2057/3=2.50|2057/0=|0/1=|0/2=|0/3=|0/0="));
        QCOMPARE(record.feedback.messages.size(), 0);
    }

    // A few cells far apart: what the read keeps grows with the cells, not
    // with the range they span (the sheet would be read instead, were the
    // range not refused).
    void cellsFarApartHoldLittle()
    {
        QByteArray rows = row(1, text("B1", "English")) + row(2, number("B2", "2057"));
        constexpr int cells = 200, apart = 2500;
        for (int k = 1; k <= cells; ++k) {
            const int r = 3 + k * apart;
            rows += row(r, text(ExcelTransfer::cellAddress(r, k + 1).toLatin1().constData(), "t"));
        }
        const QString path = write(packageBytes(sheetData(rows), {}));
        ReadRecord record;
        bool streamed = false;
        const qint64 peak = testlib::heapPeakDuring([&] { record = read(path, QStringLiteral("big"), true, &streamed); });
        QVERIFY(streamed);
        QVERIFY2(record.failure.contains(QStringLiteral("more than the")), qPrintable(record.failure));
        QCOMPARE(record.failure, read(path, QStringLiteral("big"), false).failure);
        if (peak < 0)
            QSKIP("the heap is counted through AddressSanitizer's hooks");
        QVERIFY2(peak < (32 << 20), qPrintable(QStringLiteral("%1 bytes at most").arg(peak)));
    }

    // The strings of a streamed import lie in one buffer: a few bytes per
    // entry beyond its text, where a sheet read into memory holds each cell
    // and the strings beside it.
    void memoryPerString()
    {
        constexpr int ids = 4096, languages = 4;
        QByteArray rows = row(1, text("B1", "L1") + text("C1", "L2") + text("D1", "L3") + text("E1", "L4")) +
            row(2, number("B2", "1031") + number("C2", "1033") + number("D2", "1036") + number("E2", "1040"));
        const char columns[] = "BCDE";
        for (int i = 0; i < ids; ++i) {
            const int r = i + 3;
            QByteArray cells = number(("A" + QByteArray::number(r)).constData(), QByteArray::number(i + 1));
            for (int l = 0; l < languages; ++l)
                cells += text((QByteArray(1, columns[l]) + QByteArray::number(r)).constData(),
                              "Text" + QByteArray::number(i) + "_" + QByteArray::number(l));
            rows += row(r, cells);
        }
        const QString path = write(packageBytes(sheetData(rows), {}));
        qint64 textBytes = 0;
        for (int i = 0; i < ids; ++i)
            textBytes += languages * 2 * (QStringLiteral("Text%1_0").arg(i).size() + 1);

        for (const bool useStream : {false, true}) {
            resutil::ResStrings strings;
            auto book = m_app->Workbooks().Open(path);
            QVERIFY(book);
            RecordingFeedback feedback;
            ExcelTransfer::StringsSink sink(strings);
            const qint64 before = testlib::heapInUse();
            const auto status = useStream ? ExcelTransfer::readStringsStreamed(*book.value(), "big", feedback, sink)
                                          : ExcelTransfer::readStringsInto(*book.value(), "big", feedback, sink);
            QVERIFY2(status, qPrintable(status.errorString()));
            // Held while the book is still open, as the command line holds it until it saved.
            const qint64 held = testlib::heapInUse() - before;
            m_app->Workbooks().closeAll();
            QCOMPARE(strings.Count(), ids * languages);
            QCOMPARE(strings.TextOf(1036, ids), QStringLiteral("Text%1_2").arg(ids - 1));
            const qint64 perString = (held - textBytes) / (ids * languages);
            qInfo() << (useStream ? "streamed" : "sheet read") << perString << "bytes per string beyond its text";
            if (useStream)
                QVERIFY2(perString <= 32, qPrintable(QStringLiteral("%1 bytes per string beyond its text").arg(perString)));
            else
                QVERIFY2(perString > 32, qPrintable(QStringLiteral("the sheet read holds only %1").arg(perString)));
        }
    }
};

QTEST_MAIN(StreamedImportTest)
#include "streamedimport_test.moc"
