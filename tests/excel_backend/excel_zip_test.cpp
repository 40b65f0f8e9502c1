#include "platform/excel/io/ZipArchive.h"

#include "platform/common/AtomicFile.h"
#include "platform/excel/Application.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/io/DeflateStream.h"
#include "platform/excel/io/ReadBudget.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Workbooks.h"
#include "tests/testlib/PeerPrograms.h"
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

// The archive with every member's Unix permissions in the central directory
// zeroed: libzip gives a member those a new file would get, ours are fixed.
QByteArray withoutPermissions(QByteArray archive)
{
    const auto u16 = [&](qsizetype at) { return qsizetype(uchar(archive[at])) | qsizetype(uchar(archive[at + 1])) << 8; };
    const auto u32 = [&](qsizetype at) { return u16(at) | u16(at + 2) << 16; };
    const qsizetype end = archive.size() - 22;
    for (qsizetype at = u32(end + 16); at < end; at += 46 + u16(at + 28) + u16(at + 30) + u16(at + 32))
        for (qsizetype i = 38; i < 42; ++i)
            archive[at + i] = 0;
    return archive;
}

// One of each kind of member a new archive holds, written by `zip`: empty,
// deflated here, given deflated, spilled to disk, with a name beyond ASCII,
// many small ones, one replaced and one removed. Returns what each holds.
QMap<QString, QByteArray> putEveryKind(ZipWriter &zip, DeflateStream &stream, const std::shared_ptr<const SpilledStream> &spilled,
                                       const QByteArray &spilledData)
{
    QMap<QString, QByteArray> members;
    const auto put = [&](const QString &name, const QByteArray &data) {
        QVERIFY(zip.put(name, data).ok());
        members[name] = data;
    };
    put(QStringLiteral("[Content_Types].xml"), "<Types/>");
    put(QStringLiteral("empty.xml"), QByteArray());
    put(QStringLiteral("xl/gro\u00DF-\u65E5\u672C.xml"), "<name-beyond-ascii/>");
    [&] { QVERIFY(zip.putSpilled(QStringLiteral("xl/worksheets/sheet1.xml"), spilled, stream.size(), stream.crc()).ok()); }();
    members[QStringLiteral("xl/worksheets/sheet1.xml")] = spilledData;
    for (int i = 0; i < 300; ++i)
        put(QStringLiteral("many/%1.xml").arg(i), QByteArray::number(i * 7919));
    put(QStringLiteral("replaced.xml"), "<first/>");
    put(QStringLiteral("replaced.xml"), "<second/>");
    put(QStringLiteral("removed.xml"), "<gone/>");
    [&] { QVERIFY(zip.remove(QStringLiteral("removed.xml")).ok()); }();
    members.remove(QStringLiteral("removed.xml"));
    return members;
}

} // namespace

// Members are deflated by the writer itself and must read back exactly;
// damage and the inflate bound are refused. A new archive is written by our
// own code: it is the archive libzip writes for the same members (an update
// of an empty archive still goes through libzip), and libzip's reader and
// Python's zipfile read it back.
class ExcelZipTest : public QObject {
    Q_OBJECT

    QByteArray m_spilledData = sheetLikeText(8 << 20);
    DeflateStream m_stream;
    std::shared_ptr<const SpilledStream> m_spilled;

    QStringList orderOf(const QMap<QString, QByteArray> &members) const
    {
        QStringList names{"[Content_Types].xml", "empty.xml", QStringLiteral("xl/gro\u00DF-\u65E5\u672C.xml"),
                          "xl/worksheets/sheet1.xml"};
        for (int i = 0; i < 300; ++i)
            names << QStringLiteral("many/%1.xml").arg(i);
        names << "replaced.xml";
        [&] { QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), members.size()); }();
        return names;
    }

private slots:
    void initTestCase()
    {
        m_stream.keepOnDisk();
        m_stream.write(m_spilledData.constData(), std::size_t(m_spilledData.size()));
        QVERIFY(m_stream.finish());
        m_spilled = m_stream.takeSpilled();
        QVERIFY(m_spilled);
    }

    void itIsTheArchiveLibzipWrites()
    {
        TestEnvironment env;
        auto ours = ZipWriter::create();
        auto libzips = ZipWriter::update(QByteArray());
        QVERIFY2(libzips.ok(), qPrintable(libzips.errorString()));
        const auto members = putEveryKind(ours.value(), m_stream, m_spilled, m_spilledData);
        QCOMPARE(putEveryKind(libzips.value(), m_stream, m_spilled, m_spilledData), members);
        const QByteArray archive = ours->finish().value();
        const QByteArray expected = libzips->finish().value();
        QCOMPARE(archive.size(), expected.size());
        QVERIFY(withoutPermissions(archive) == withoutPermissions(expected));

        auto reader = ZipReader::open(archive);
        QVERIFY2(reader.ok(), qPrintable(reader.errorString()));
        QCOMPARE(reader->names(), orderOf(members));
        for (auto m = members.begin(); m != members.end(); ++m)
            QVERIFY2(reader->readAll(m.key()).value() == m.value(), qPrintable(m.key()));
    }

    // Into a file, as an export writes it; Python checks every member's CRC
    // against its bytes and lists the sizes and dates.
    void pythonReadsItBack()
    {
        TestEnvironment env;
        const QString path = QDir(env.path()).filePath(QStringLiteral("every kind.xlsx"));
        qm::AtomicFile file(path);
        QVERIFY(file.open().ok());
        auto zip = ZipWriter::create(file);
        const auto members = putEveryKind(zip.value(), m_stream, m_spilled, m_spilledData);
        QVERIFY(zip->finish().ok());
        QVERIFY(file.commit().ok());

        const auto tested = peers::run(QStringLiteral("/usr/bin/python3"), {"-m", "zipfile", "-t", path});
        if (tested.exitCode == -1)
            QSKIP("python3 is not installed");
        QVERIFY2(tested.exitCode == 0, tested.out + tested.err);
        const auto listed = peers::python(QStringLiteral(
            "import sys, zipfile\n"
            "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
            "    sys.stdout.buffer.write(('%s|%d|%d|%d|%s|%d\\n' % (i.filename, i.file_size, i.CRC, i.compress_type,"
            " i.date_time, i.flag_bits & 0x800)).encode())\n"), {path});
        QVERIFY2(listed.exitCode == 0, listed.err);
        const QStringList lines = QString::fromUtf8(listed.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList names = orderOf(members);
        QCOMPARE(lines.size(), names.size());
        for (int i = 0; i < lines.size(); ++i) {
            const QStringList fields = lines[i].split(QLatin1Char('|'));
            QCOMPARE(fields.value(0), names[i]);
            QCOMPARE(fields.value(1).toLongLong(), members[names[i]].size());
            QCOMPARE(fields.value(3), QStringLiteral("8")); // deflated
            QCOMPARE(fields.value(4), QStringLiteral("(1980, 1, 1, 0, 0, 0)"));
            QCOMPARE(fields.value(5) != QLatin1String("0"), names[i].contains(QChar(0x65E5)));
        }
        QCOMPARE(lines[3].split(QLatin1Char('|')).value(2).toUInt(), m_stream.crc());
    }

    // Beyond 4 GiB a member needs zip64, which the writer does not write:
    // refused, naming it, before a byte goes into the file.
    void aMemberOf4GiBIsRefused_data()
    {
        QTest::addColumn<quint64>("size");
        QTest::addColumn<bool>("refused");
        QTest::newRow("just below") << quint64(0xFFFFFFFEu) << false;
        QTest::newRow("0xFFFFFFFF, which marks zip64") << quint64(0xFFFFFFFFu) << true;
        QTest::newRow("5 GiB") << (quint64(5) << 30) << true;
    }
    void aMemberOf4GiBIsRefused()
    {
        TestEnvironment env;
        QFETCH(quint64, size);
        QFETCH(bool, refused);
        qm::AtomicFile file(QDir(env.path()).filePath(QStringLiteral("huge.xlsx")));
        QVERIFY(file.open().ok());
        auto zip = ZipWriter::create(file);
        QVERIFY(zip->put(QStringLiteral("first.xml"), QByteArray("<first/>")).ok());
        // What is claimed is written into the headers; the stream itself is small.
        QVERIFY(zip->putDeflated(QStringLiteral("xl/huge.xml"), QByteArray("\x03\x00", 2), size, 0).ok());
        auto finished = zip->finish();
        QCOMPARE(!finished.ok(), refused);
        const qint64 written = QFileInfo(file.temporaryPath()).size();
        if (refused) {
            QVERIFY2(finished.errorString().contains(QStringLiteral("xl/huge.xml"))
                         && finished.errorString().contains(QStringLiteral("4 GiB")),
                     qPrintable(finished.errorString()));
            QCOMPARE(written, 0);
        } else {
            QVERIFY(written > 0);
        }
    }

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
        // Our writer keeps one member a name: the second goes in under a name
        // of the same length, which is then given the one wanted.
        const QString placeholder = QString(second).replace(QStringLiteral("1.xml"), QStringLiteral("X.xml"));
        auto rebuilt = ZipWriter::create().value();
        for (const QString &name : reader->names()) {
            QVERIFY(rebuilt.put(name, reader->readAll(name).value()).ok());
            if (name == QLatin1String("xl/worksheets/sheet1.xml"))
                QVERIFY(rebuilt.put(placeholder, QByteArray("<worksheet xmlns=\"http://schemas.openxmlformats.org/"
                                                            "spreadsheetml/2006/main\"><sheetData/></worksheet>")).ok());
        }
        const QByteArray twice = rebuilt.finish().value().replace(placeholder.toUtf8(), second.toUtf8());
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
