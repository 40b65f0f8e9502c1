#include "platform/excel/io/ZipArchive.h"

#include "platform/common/AtomicFile.h"
#include "exchange/OdsZip.h"
#include "platform/excel/Application.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/io/DeflateStream.h"
#include "platform/excel/io/ReadBudget.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Workbooks.h"
#include "tests/testlib/TestFiles.h"

#include "tests/testlib/TestEnvironment.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace excel::backend;

namespace {

QByteArray archiveOf(const QString &name, const QByteArray &data)
{
    auto zip = ZipWriter::create();
    if (!zip || !zip->put(name, data))
        return {};
    auto bytes = zip->finish();
    return bytes ? bytes.value() : QByteArray();
}

// Text that deflates about as well as a sheet does.
QByteArray sheetLikeText(qsizetype size)
{
    QRandomGenerator random(7);
    QByteArray out;
    while (out.size() < size)
        out += "<c r=\"B" + QByteArray::number(random.bounded(100000)) + "\" t=\"s\"><v>" + QByteArray::number(random.bounded(1000000)) + "</v></c>";
    return out.left(size);
}

} // namespace

// Members are deflated by the writer itself (libzip only stores them) and
// must read back exactly; damage and the inflate bound are refused.
class ExcelZipTest : public QObject {
    Q_OBJECT

private slots:
    void membersReadBackExactly_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("small") << QByteArray("<sst/>");
        QTest::newRow("big, like a sheet") << sheetLikeText(3 << 20);
        QTest::newRow("big, deflating a thousandfold") << QByteArray(6 << 20, ' ');
    }
    void membersReadBackExactly()
    {
        TestEnvironment env;
        QFETCH(QByteArray, data);
        const QByteArray archive = archiveOf(QStringLiteral("xl/part.xml"), data);
        QVERIFY(!archive.isEmpty());
        auto reader = ZipReader::open(archive);
        QVERIFY2(reader.ok(), qPrintable(reader.errorString()));
        auto whole = reader->readAll(QStringLiteral("XL/Part.xml"));
        QVERIFY2(whole.ok(), qPrintable(whole.errorString()));
        QCOMPARE(whole->size(), data.size());
        QVERIFY(whole.value() == data);
    }

    void damagedMembersAreRefused_data()
    {
        QTest::addColumn<double>("at");
        QTest::newRow("start") << 0.01;
        QTest::newRow("middle") << 0.5;
        QTest::newRow("end") << 0.99;
    }
    void damagedMembersAreRefused()
    {
        TestEnvironment env;
        QFETCH(double, at);
        QByteArray archive = archiveOf(QStringLiteral("part.xml"), sheetLikeText(2 << 20));
        // The only member's data follows its local header.
        const auto u16 = [&](int offset) { return int(uchar(archive[offset])) | int(uchar(archive[offset + 1])) << 8; };
        const int dataStart = 30 + u16(26) + u16(28);
        const qsizetype compressedSize = qsizetype(uchar(archive[18])) | qsizetype(uchar(archive[19])) << 8 | qsizetype(uchar(archive[20])) << 16;
        const qsizetype flip = dataStart + qsizetype(double(compressedSize) * at);
        archive[flip] = char(archive[flip] ^ 0x5A);
        auto reader = ZipReader::open(archive);
        QVERIFY(reader.ok());
        auto read = reader->readAll(QStringLiteral("part.xml"));
        QVERIFY(!read.ok());
        QVERIFY2(read.errorString().contains(QStringLiteral("part.xml")), qPrintable(read.errorString()));
    }

    // A member deflated as it is made, whether kept in memory (short) or on
    // disk (long), in an archive written straight into a file, reads back
    // exactly beside a member the writer deflates itself.
    void streamedMembersIntoAFileReadBackExactly_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("onDisk");
        QTest::newRow("short, in memory") << sheetLikeText(100 << 10) << false;
        QTest::newRow("long, on disk") << sheetLikeText(24 << 20) << true;
    }
    void streamedMembersIntoAFileReadBackExactly()
    {
        TestEnvironment env;
        QFETCH(QByteArray, data);
        QFETCH(bool, onDisk);
        DeflateStream stream;
        stream.keepOnDisk();
        for (qsizetype at = 0; at < data.size(); at += 70001)
            stream.write(data.constData() + at, std::size_t(std::min<qsizetype>(70001, data.size() - at)));
        QVERIFY(stream.finish());
        const QByteArray inMemory = stream.takeStream();
        auto spilled = stream.takeSpilled();
        QCOMPARE(bool(spilled), onDisk);
        QCOMPARE(inMemory.isEmpty(), onDisk);

        const QString path = QDir(env.path()).filePath(QStringLiteral("streamed.zip"));
        qm::AtomicFile file(path);
        QVERIFY(file.open().ok());
        auto zip = ZipWriter::create(file);
        QVERIFY(zip.ok());
        QVERIFY(zip->put(QStringLiteral("first.xml"), QByteArray("<first/>")).ok());
        QVERIFY((onDisk ? zip->putSpilled(QStringLiteral("part.xml"), spilled, stream.size(), stream.crc())
                        : zip->putDeflated(QStringLiteral("part.xml"), inMemory, stream.size(), stream.crc()))
                    .ok());
        QVERIFY(zip->put(QStringLiteral("last.xml"), QByteArray("<last/>")).ok());
        auto finished = zip->finish();
        QVERIFY2(finished.ok(), qPrintable(finished.errorString()));
        QVERIFY(finished->isEmpty());
        QVERIFY(file.commit().ok());

        const QByteArray archive = readFile(path);
        auto reader = ZipReader::open(archive);
        QVERIFY2(reader.ok(), qPrintable(reader.errorString()));
        QCOMPARE(reader->names(), (QStringList{"first.xml", "part.xml", "last.xml"}));
        QVERIFY(reader->readAll(QStringLiteral("part.xml")).value() == data);
        QCOMPARE(reader->readAll(QStringLiteral("last.xml")).value(), QByteArray("<last/>"));
        // The same archive made in memory is the same bytes.
        auto inMemoryZip = ZipWriter::create();
        QVERIFY(inMemoryZip->put(QStringLiteral("first.xml"), QByteArray("<first/>")).ok());
        QVERIFY((onDisk ? inMemoryZip->putSpilled(QStringLiteral("part.xml"), spilled, stream.size(), stream.crc())
                        : inMemoryZip->putDeflated(QStringLiteral("part.xml"), inMemory, stream.size(), stream.crc()))
                    .ok());
        QVERIFY(inMemoryZip->put(QStringLiteral("last.xml"), QByteArray("<last/>")).ok());
        QVERIFY(inMemoryZip->finish().value() == archive);
    }

    void theBoundHoldsForTheWholeArchive()
    {
        TestEnvironment env;
        const QByteArray archive = archiveOf(QStringLiteral("part.xml"), QByteArray(4 << 20, ' '));
        const qint64 limit = ZipReader::inflateLimit;
        for (const qint64 bound : {qint64(3) << 20, qint64(5) << 20}) {
            ZipReader::inflateLimit = bound;
            auto reader = ZipReader::open(archive);
            auto read = reader->readAll(QStringLiteral("part.xml"));
            auto again = reader->readAll(QStringLiteral("part.xml")); // the bound is for the whole archive
            ZipReader::inflateLimit = limit;
            QCOMPARE(read.ok(), bound > (4 << 20));
            QVERIFY(!again.ok());
            QVERIFY2(again.errorString().contains(QStringLiteral("inflates")), qPrintable(again.errorString()));
        }
    }

    // Beyond the size the limits are set for, the bound grows with the archive.
    void theBoundGrowsWithTheArchive()
    {
        TestEnvironment env;
        const QByteArray archive = archiveOf(QStringLiteral("part.xml"), sheetLikeText(4 << 20));
        const qint64 limit = ZipReader::inflateLimit;
        const qint64 fileBytes = ReadLimits::current().fileBytes;
        ZipReader::inflateLimit = 3 << 20;
        QList<bool> read;
        for (const qint64 base : {archive.size(), archive.size() / 2}) {
            ReadLimits::current().fileBytes = base;
            read << ZipReader::open(archive)->readAll(QStringLiteral("part.xml")).ok();
        }
        ZipReader::inflateLimit = limit;
        ReadLimits::current().fileBytes = fileBytes;
        QCOMPARE(read, (QList<bool>{false, true}));
    }

    // Which of two members of one name is the part cannot be told: the
    // archive is refused, naming it, by the workbook reader too.
    void aMemberNamedTwiceIsRefused_data()
    {
        QTest::addColumn<QString>("second");
        QTest::newRow("the same name") << "xl/worksheets/sheet1.xml";
        QTest::newRow("another letter case") << "XL/Worksheets/Sheet1.xml";
    }
    void aMemberNamedTwiceIsRefused()
    {
        TestEnvironment env;
        QFETCH(QString, second);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("twice.xlsx"));
        auto app = excel::Application::Create().value();
        excel::Workbook *book = app->Workbooks().Add(excel::xlWBATWorksheet).value();
        QVERIFY(book->SaveAs(file).ok());
        const QByteArray made = readFile(file);
        auto reader = ZipReader::open(made);
        QVERIFY(reader.ok());
        exchange::OdsZipWriter rebuilt;
        for (const QString &name : reader->names()) {
            rebuilt.add(name, reader->readAll(name).value());
            if (name == QLatin1String("xl/worksheets/sheet1.xml"))
                rebuilt.add(second, QByteArray("<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                                               "main\"><sheetData/></worksheet>"));
        }
        const QByteArray twice = rebuilt.finish();
        writeFile(file, twice);

        auto refused = ZipReader::open(twice);
        QVERIFY(!refused.ok());
        QVERIFY2(refused.errorString().contains(second), qPrintable(refused.errorString()));
        auto opened = app->Workbooks().Open(file);
        QVERIFY(!opened.ok());
        QVERIFY2(opened.errorString().startsWith(file) && opened.errorString().contains(QStringLiteral("twice")),
                 qPrintable(opened.errorString()));
    }
};

QTEST_GUILESS_MAIN(ExcelZipTest)
#include "excel_zip_test.moc"
