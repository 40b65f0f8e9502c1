#include "platform/excel/Application.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/io/ZipArchive.h"

#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

using namespace excel;

// Broken and hostile files: each gives a clear message, allocates nothing it
// merely claims, and leaves the application and the file as they were.
class ExcelHostileTest : public QObject {
    Q_OBJECT

private:
    TestEnvironment m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<Application> m_app;

    static QByteArray workbookXml(const QByteArray &target = "worksheets/sheet1.xml")
    {
        Q_UNUSED(target);
        return "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
               "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    }
    static QByteArray rels(const QByteArray &sheetTarget, bool strings)
    {
        QByteArray out = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"" + sheetTarget + "\"/>";
        if (strings)
            out += "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        return out + "</Relationships>";
    }
    static QByteArray sheet(const QByteArray &data)
    {
        return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + data + "</sheetData></worksheet>";
    }

    // A minimal package with these parts replaced or added.
    QString package(const QString &name, const QMap<QString, QByteArray> &parts)
    {
        QMap<QString, QByteArray> all{
            {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
            {"_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                            "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
            {"xl/workbook.xml", workbookXml()},
            {"xl/_rels/workbook.xml.rels", rels("worksheets/sheet1.xml", true)},
            {"xl/sharedStrings.xml", "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"1\" uniqueCount=\"1\"><si><t>one</t></si></sst>"},
            {"xl/worksheets/sheet1.xml", sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>")},
        };
        for (auto it = parts.begin(); it != parts.end(); ++it)
            all[it.key()] = it.value();
        auto zip = backend::ZipWriter::create();
        for (auto it = all.begin(); it != all.end(); ++it)
            if (!it.value().isNull())
                (void)zip->put(it.key(), it.value());
        const QString file = m_dir.filePath(name);
        QFile f(file);
        if (f.open(QIODevice::WriteOnly))
            f.write(zip->finish().value());
        return file;
    }

    QString writeBytes(const QString &name, const QByteArray &bytes)
    {
        const QString file = m_dir.filePath(name);
        QFile f(file);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return file;
    }

    // Opens the file and reads every sheet: the first failure, or none.
    qm::Status readWhole(const QString &file)
    {
        auto opened = m_app->Workbooks().Open(file);
        if (!opened)
            return opened.error();
        for (int i = 1; i <= opened.value()->Worksheets().Count(); ++i)
            if (auto sheet = opened.value()->Worksheets().Item(i); !sheet)
                return sheet.error();
        return {};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_app = std::move(Application::Create().value());
    }

    void theMinimalPackageIsRead()
    {
        auto book = m_app->Workbooks().Open(package(QStringLiteral("fine.xlsx"), {}));
        QVERIFY2(book.ok(), qPrintable(book.errorString()));
        QCOMPARE(book.value()->ActiveSheet()->Cells().Text(1, 1), QStringLiteral("one"));
    }

    void bothFormsOfACarriageReturnAreRead()
    {
        const QString file = package(QStringLiteral("cr.xlsx"),
            {{"xl/worksheets/sheet1.xml", sheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a_x000D_b&#13;c\r\nd</t></is></c></row>")}});
        auto book = m_app->Workbooks().Open(file);
        QVERIFY2(book.ok(), qPrintable(book.errorString()));
        QCOMPARE(book.value()->ActiveSheet()->Cells().Text(1, 1), QStringLiteral("a\rb\rc\nd"));
    }

    void brokenPackagesAreRefusedClearly_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("entity expansion") << "xl/worksheets/sheet1.xml"
            << QByteArray("<!DOCTYPE lol [<!ENTITY a \"aaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">]>") + sheet("<row><c t=\"inlineStr\"><is><t>&b;</t></is></c></row>")
            << "DOCTYPE";
        QTest::newRow("external entity") << "xl/sharedStrings.xml"
            << QByteArray("<!DOCTYPE sst [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><sst><si><t>&x;</t></si></sst>") << "DOCTYPE";
        QTest::newRow("not XML") << "xl/worksheets/sheet1.xml" << QByteArray("<worksheet><sheetData>") << "well-formed";
        QTest::newRow("shared string beyond the table") << "xl/worksheets/sheet1.xml"
            << sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>7</v></c></row>") << "shared string 7";
        QTest::newRow("cell beyond the sheet") << "xl/worksheets/sheet1.xml"
            << sheet("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>") << "XFE1";
        QTest::newRow("row beyond the sheet") << "xl/worksheets/sheet1.xml"
            << sheet("<row r=\"1048577\"><c><v>1</v></c></row>") << "1048577";
        QTest::newRow("number that is none") << "xl/worksheets/sheet1.xml"
            << sheet("<row r=\"1\"><c r=\"B1\"><v>12abc</v></c></row>") << "B1";
        QTest::newRow("sheet outside the package") << "xl/_rels/workbook.xml.rels"
            << rels("../../../../etc/passwd", false) << "missing";
        QTest::newRow("sheet at an absolute path") << "xl/_rels/workbook.xml.rels"
            << rels("/etc/passwd", false) << "missing";
        // Written back, a change of one would be a change of both.
        QTest::newRow("two sheets on one part") << "xl/workbook.xml"
            << QByteArray("<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
                          "<sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"T\" sheetId=\"2\" r:id=\"rId1\"/>"
                          "</sheets></workbook>")
            << "are both the part";
        QTest::newRow("no workbook") << "_rels/.rels"
            << QByteArray("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>") << "no workbook";
    }
    void brokenPackagesAreRefusedClearly()
    {
        QFETCH(QString, part);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString file = package(QStringLiteral("broken.xlsx"), {{part, content}});
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        const qm::Status read = readWhole(file);
        QVERIFY(!read.ok());
        QVERIFY2(read.errorString().contains(message), qPrintable(read.errorString()));
        QVERIFY(read.errorString().startsWith(file));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    void claimedCountsAllocateNothing()
    {
        const QString file = package(QStringLiteral("claims.xlsx"),
            {{"xl/sharedStrings.xml", "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"4000000000\" uniqueCount=\"4000000000\"><si><t>one</t></si></sst>"},
             {"xl/worksheets/sheet1.xml", "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><dimension ref=\"A1:XFD1048576\"/><sheetData>"
                                          "<row r=\"1\" spans=\"1:16384\"><c r=\"A1\" t=\"s\"><v>0</v></c></row></sheetData></worksheet>"}});
        auto opened = m_app->Workbooks().Open(file);
        QVERIFY2(opened.ok(), qPrintable(opened.errorString()));
        QCOMPARE(opened.value()->ActiveSheet()->UsedRange().RowsCount(), 1);
    }

    void decompressionIsBounded()
    {
        const QByteArray big(4 << 20, ' ');
        const QString file = package(QStringLiteral("bomb.xlsx"), {{"xl/worksheets/sheet1.xml", sheet(big)}});
        QVERIFY(QFileInfo(file).size() < 100 << 10); // a few kilobytes inflating to megabytes
        const qint64 limit = backend::ZipReader::inflateLimit;
        backend::ZipReader::inflateLimit = 1 << 20;
        const qm::Status read = readWhole(file);
        backend::ZipReader::inflateLimit = limit;
        QVERIFY(!read.ok());
        QVERIFY2(read.errorString().contains(QStringLiteral("inflates")), qPrintable(read.errorString()));
    }

    void filesThatAreNoWorkbooks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << "not an Excel workbook";
        QTest::newRow("text") << QByteArray("ID;Text\n1;Yes\n") << "not an Excel workbook";
        QTest::newRow("zip header only") << QByteArray("PK\x03\x04garbage", 11) << ".xlsx";
        QTest::newRow("OLE2 header only") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" "garbage" + QByteArray(600, '\xff')) << ".xls";
    }
    void filesThatAreNoWorkbooks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        auto opened = m_app->Workbooks().Open(writeBytes(QStringLiteral("junk.bin"), bytes));
        QVERIFY(!opened.ok());
        QVERIFY2(opened.errorString().contains(message), qPrintable(opened.errorString()));
    }

    void truncatedWorkbooks_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("xlsx") << "xlsx";
        QTest::newRow("xls") << "xls";
    }
    void truncatedWorkbooks()
    {
        QFETCH(QString, extension);
        const QString whole = m_dir.filePath(QStringLiteral("whole.") + extension);
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        for (int r = 1; r <= 2000; ++r)
            QVERIFY(book->ActiveSheet()->Cells().Set(r, 1, QStringLiteral("text %1").arg(r)).ok());
        QVERIFY(book->SaveAs(whole).ok());
        QFile f(whole);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        for (const double share : {0.2, 0.5, 0.9}) {
            const QString cut = writeBytes(QStringLiteral("cut.") + extension, bytes.left(qsizetype(bytes.size() * share)));
            const qm::Status read = readWhole(cut);
            if (!read.ok()) {
                QVERIFY(!read.errorString().isEmpty());
                continue;
            }
            auto opened = m_app->Workbooks().Open(cut);
            QVERIFY2(opened.value()->ActiveSheet()->UsedRange().RowsCount() <= 2000, "a cut file must fail or read what is there");
        }
    }

    void missingFileAndUnwritableTarget()
    {
        auto opened = m_app->Workbooks().Open(m_dir.filePath(QStringLiteral("nothing.xlsx")));
        QVERIFY(!opened.ok());
        QVERIFY(opened.errorString().contains(QStringLiteral("nothing.xlsx")));
        Workbook *book = m_app->Workbooks().Add(xlWBATWorksheet).value();
        auto saved = book->SaveAs(m_dir.filePath(QStringLiteral("no/such/folder/book.xlsx")));
        QVERIFY(!saved.ok());
        QVERIFY(saved.errorString().contains(QStringLiteral("book.xlsx")));
    }
};

QTEST_GUILESS_MAIN(ExcelHostileTest)
#include "excel_hostile_test.moc"
