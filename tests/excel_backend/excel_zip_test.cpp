#include "platform/excel/ZipArchive.h"

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
};

QTEST_GUILESS_MAIN(ExcelZipTest)
#include "excel_zip_test.moc"
