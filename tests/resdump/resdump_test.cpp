// The program's own dump of a .res file: it takes exactly the files the
// resource library takes, and prints what their strings and resources are.
#include "platform/resdump/DumpFile.h"
#include "platform/resdump/ResDump.h"
#include "platform/resdump/Sha256.h"
#include "platform/resutil/ResScan.h"
#include "tests/resutil/ResBuilder.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using resdump::DumpForm;
using resdump::DumpText;

namespace {

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// shift: how many bytes past an aligned address the file is held.
QByteArray dumped(const QByteArray &bytes, DumpForm form, bool *taken = nullptr, int shift = 0)
{
    const QByteArray held = QByteArray(shift, '\0') + bytes;
    DumpText out;
    const bool ok = resdump::dumpRes(reinterpret_cast<const unsigned char *>(held.constData()) + shift, std::size_t(bytes.size()),
                                     form, out);
    if (taken)
        *taken = ok;
    return QByteArray(out.data(), qsizetype(out.size()));
}

// Tables out of order, gaps, an empty text's absence, text to escape, a named
// type and a resource whose data is not a string table.
QByteArray sample()
{
    return ResBuilder()
        .entry(6, 2, ResBuilder::block({text("zwei"), {}, text("tab\there")}), 1031)
        .entry("MYTYPE", "LOGO", QByteArray("\x89PNG", 4), 1033)
        .entry(6, 1, ResBuilder::block({{}, text("one \"quoted\""), text("ひらがな")}), 1033)
        .entry(3, 7, QByteArray(40, 'i'), 1033)
        .entry(6, 1, ResBuilder::block({text("eins\\")}), 1031)
        .bytes();
}

struct Scanned {
    bool ok = false;
    QList<std::tuple<int, int, QString>> strings;
    QList<resutil::ResResource> others;
};

Scanned scan(const QString &path)
{
    Scanned out;
    out.ok = resutil::scanResFile(
                 path, [&](quint16 locale, quint16 id, QStringView value) { out.strings.append({locale, id, value.toString()}); },
                 &out.others)
                 .ok();
    return out;
}

QJsonValue nameValue(const resutil::ResName &name)
{
    return name.isString ? QJsonValue(name.name) : QJsonValue(int(name.ordinal));
}

// The dump as the resource library reads the file: the lines' fields, the JSON's values.
void compareWithScan(const QByteArray &lines, const QByteArray &json, const Scanned &scanned)
{
    QList<QByteArray> rows = lines.split('\n');
    QCOMPARE(rows.takeLast(), QByteArray());
    QCOMPARE(rows.size(), scanned.strings.size());
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    const QJsonArray strings = object.value(QStringLiteral("strings")).toArray();
    QCOMPARE(strings.size(), scanned.strings.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const auto &[locale, id, value] = scanned.strings[i];
        QVERIFY(rows[i].startsWith(QByteArray::number(locale) + '\t' + QByteArray::number(id) + '\t'));
        QCOMPARE(strings[i].toArray(), (QJsonArray{locale, id, value}));
    }
    const QJsonArray resources = object.value(QStringLiteral("resources")).toArray();
    QCOMPARE(resources.size(), scanned.others.size());
    for (qsizetype i = 0; i < resources.size(); ++i) {
        const resutil::ResResource &other = scanned.others[i];
        const QJsonObject expected{
            {QStringLiteral("type"), nameValue(other.type)},
            {QStringLiteral("name"), nameValue(other.name)},
            {QStringLiteral("lang"), int(other.fields.language)},
            {QStringLiteral("size"), int(other.data.size())},
            {QStringLiteral("sha256"), QString::fromLatin1(QCryptographicHash::hash(other.data, QCryptographicHash::Sha256).toHex())},
        };
        QCOMPARE(resources[i].toObject(), expected);
    }
}

} // namespace

class ResDumpTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

    QString file(const QString &name) const { return QDir(m_env->path()).filePath(name); }

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }

    void printsTheStringsSortedAndTheOtherResources()
    {
        QCOMPARE(dumped(sample(), DumpForm::Lines),
                 QByteArray("1031\t0\teins\\\\\n1031\t16\tzwei\n1031\t18\ttab\\there\n"
                            "1033\t1\tone \"quoted\"\n1033\t2\t\xe3\x81\xb2\xe3\x82\x89\xe3\x81\x8c\xe3\x81\xaa\n"));
        QCOMPARE(dumped(sample(), DumpForm::Json),
                 QByteArray("{\"strings\": [[1031, 0, \"eins\\\\\"], [1031, 16, \"zwei\"], [1031, 18, \"tab\\there\"], "
                            "[1033, 1, \"one \\\"quoted\\\"\"], [1033, 2, \"\xe3\x81\xb2\xe3\x82\x89\xe3\x81\x8c\xe3\x81\xaa\"]], "
                            "\"resources\": [{\"type\": \"MYTYPE\", \"name\": \"LOGO\", \"lang\": 1033, \"size\": 4, \"sha256\": \"") +
                     QCryptographicHash::hash("\x89PNG", QCryptographicHash::Sha256).toHex() +
                     "\"}, {\"type\": 3, \"name\": 7, \"lang\": 1033, \"size\": 40, \"sha256\": \"" +
                     QCryptographicHash::hash(QByteArray(40, 'i'), QCryptographicHash::Sha256).toHex() + "\"}]}\n");
        // A file of the empty entry alone has nothing to list.
        QCOMPARE(dumped(ResBuilder().bytes(), DumpForm::Json), QByteArray("{\"strings\": [], \"resources\": []}\n"));
        bool taken = false;
        QCOMPARE(dumped(ResBuilder().bytes(), DumpForm::Lines, &taken), QByteArray());
        QVERIFY(taken);
    }

    // A header of odd size puts the data, and a string name, at odd offsets.
    void readsUnalignedTextsAndNames()
    {
        QByteArray bytes = ResBuilder().bytes();
        const QByteArray data = ResBuilder::block({text("Hi \xc3\xa9")});
        const auto u16 = [&](quint16 v) { bytes.append(char(v & 0xFF)).append(char(v >> 8)); };
        const auto u32 = [&](quint32 v) { u16(quint16(v & 0xFFFF)); u16(quint16(v >> 16)); };
        u32(quint32(data.size()));
        u32(33);
        u16(0xFFFF), u16(6), u16(0xFFFF), u16(1);
        u32(0), u16(0x1030), u16(1033), u32(0), u32(0);
        bytes.append('\0').append(data);
        while (bytes.size() % 4)
            bytes.append('\0');
        bytes += ResBuilder().entry("NAMED", 5, QByteArray("x"), 7).bytes().mid(32);
        // At an odd address the named type is unaligned too.
        for (const int shift : {0, 1}) {
            QCOMPARE(dumped(bytes, DumpForm::Lines, nullptr, shift), QByteArray("1033\t0\tHi \xc3\xa9\n"));
            QVERIFY(dumped(bytes, DumpForm::Json, nullptr, shift)
                        .contains("{\"type\": \"NAMED\", \"name\": 5, \"lang\": 7, \"size\": 1, "));
        }
        // The resource library reads it the same.
        writeFile(file(QStringLiteral("odd.res")), bytes);
        const Scanned scanned = scan(file(QStringLiteral("odd.res")));
        QVERIFY(scanned.ok);
        compareWithScan(dumped(bytes, DumpForm::Lines), dumped(bytes, DumpForm::Json), scanned);
    }

    // Every cut and every changed byte of a sample, and the fuzzer's seeds:
    // taken exactly where the resource library takes the file, with what it reads.
    void takesWhatTheResourceLibraryTakes()
    {
        QList<QByteArray> inputs;
        const QByteArray base = sample();
        for (qsizetype size = 0; size <= base.size(); ++size)
            inputs.append(base.first(size));
        for (qsizetype at = 0; at < base.size(); ++at) {
            for (const char value : {'\0', '\x01', '\x06', '\xFF'}) {
                QByteArray changed = base;
                changed[at] = value;
                inputs.append(changed);
            }
        }
        inputs.append(ResBuilder().entry(6, 1, ResBuilder::block({text("a")}), 1033).entry(6, 1, ResBuilder::block({text("b")}), 1033).bytes());
        inputs.append(ResBuilder().entry(6, 4097, ResBuilder::block({text("a")}), 1033).bytes());
        inputs.append(base + QByteArray(7, '\0'));
        inputs.append(base + QByteArray(8, '\0'));
        const QDir corpus(QStringLiteral(QM_SOURCE_DIR "/tests/resutil/fuzz/corpus"));
        const QStringList seeds = corpus.entryList(QDir::Files);
        QVERIFY(seeds.size() >= 5);
        for (const QString &seed : seeds)
            inputs.append(readFile(corpus.filePath(seed)));

        int takenCount = 0;
        const QString path = file(QStringLiteral("input.res"));
        for (qsizetype i = 0; i < inputs.size(); ++i) {
            writeFile(path, inputs[i]);
            const Scanned scanned = scan(path);
            bool linesTaken = false;
            bool jsonTaken = false;
            const QByteArray lines = dumped(inputs[i], DumpForm::Lines, &linesTaken);
            const QByteArray json = dumped(inputs[i], DumpForm::Json, &jsonTaken);
            if (linesTaken != scanned.ok || jsonTaken != scanned.ok)
                QFAIL(qPrintable(QStringLiteral("input %1: the library %2 it, the dump %3 it")
                                     .arg(QString::number(i), scanned.ok ? QStringLiteral("takes") : QStringLiteral("refuses"),
                                          linesTaken ? QStringLiteral("takes") : QStringLiteral("refuses"))));
            if (!scanned.ok) {
                QVERIFY(lines.isEmpty() && json.isEmpty());
                continue;
            }
            ++takenCount;
            compareWithScan(lines, json, scanned);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("input %1 is dumped otherwise than the library reads it").arg(i)));
        }
        // Both kinds are met: the comparison cannot pass by refusing everything.
        QVERIFY(takenCount > 100);
        QVERIFY(takenCount < inputs.size() - 100);
    }

    void hashesAsQtDoes()
    {
        QRandomGenerator random(29);
        for (int size : {0, 1, 3, 55, 56, 57, 63, 64, 65, 119, 120, 127, 128, 129, 1000, 65543}) {
            QByteArray bytes(size, Qt::Uninitialized);
            for (char &byte : bytes)
                byte = char(random.bounded(256));
            char hex[64];
            resdump::sha256Hex(reinterpret_cast<const unsigned char *>(bytes.constData()), std::size_t(size), hex);
            QCOMPARE(QByteArray(hex, 64), QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
        }
    }

    // A file is dumped whole or not at all; what it cannot open is left to the tool.
    void dumpsAFileWholeOrNotAtAll()
    {
        const QString good = file(QStringLiteral("good.res"));
        writeFile(good, sample());
        const QString outPath = file(QStringLiteral("out.txt"));
        const int out = ::open(QFile::encodeName(outPath).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        QVERIFY(out >= 0);
        int error = -1;
        QCOMPARE(resdump::dumpFile(QFile::encodeName(good).constData(), DumpForm::Lines, out, error), resdump::DumpFileResult::Written);
        QCOMPARE(error, 0);

        const QString bad = file(QStringLiteral("bad.res"));
        writeFile(bad, "not a resource file at all");
        const QString empty = file(QStringLiteral("empty.res"));
        writeFile(empty, QByteArray());
        const QString fifo = file(QStringLiteral("fifo.res"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &path : {bad, empty, fifo, m_env->path(), file(QStringLiteral("missing.res"))}) {
            QCOMPARE(resdump::dumpFile(QFile::encodeName(path).constData(), DumpForm::Json, out, error),
                     resdump::DumpFileResult::NotTaken);
        }
        ::close(out);
        QCOMPARE(readFile(outPath), dumped(sample(), DumpForm::Lines));

        const int full = ::open("/dev/full", O_WRONLY);
        if (full < 0)
            QSKIP("no /dev/full");
        QCOMPARE(resdump::dumpFile(QFile::encodeName(good).constData(), DumpForm::Json, full, error), resdump::DumpFileResult::WriteFailed);
        QCOMPARE(error, ENOSPC);
        ::close(full);
    }
};

QTEST_GUILESS_MAIN(ResDumpTest)
#include "resdump_test.moc"
