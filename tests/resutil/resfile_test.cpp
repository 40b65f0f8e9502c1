#include "platform/resutil/ResFile.h"
#include "platform/resutil/ResStrings.h"
#include "platform/resutil/ResWriter.h"
#include "tests/resutil/ResBuilder.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QtTest>

#include <unistd.h>

using resutil::ResFile;
using resutil::ResString;

namespace {

using Entries = QList<std::tuple<qint32, qint32, QString>>;

Entries entriesOf(const ResFile &file)
{
    Entries out;
    for (const ResString *entry : file.Strings())
        out.append({entry->LocaleID(), entry->ID(), entry->Text()});
    return out;
}

QByteArray le16(quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    return QByteArray(b, 2);
}

} // namespace

class ResFileTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_path = QDir(m_env->path()).filePath(QStringLiteral("test.res"));
    }

    void textsSurviveSaveAndLoadExactly_data()
    {
        QTest::addColumn<qint32>("locale");
        QTest::addColumn<qint32>("id");
        QTest::addColumn<QString>("text");
        const QChar high(0xD83D), low(0xDE00);
        QTest::newRow("ascii") << 1033 << 1 << QStringLiteral("Hello, \"world\"\r\n\t\\");
        QTest::newRow("cjk") << 1041 << 100 << QStringLiteral("日本語のテキスト");
        QTest::newRow("rtl") << 1025 << 101 << QStringLiteral("مرحبا بالعالم");
        QTest::newRow("surrogate pair") << 1033 << 15 << (QString(high) + low);
        QTest::newRow("unpaired high surrogate") << 1033 << 16 << (QStringLiteral("a") + high + QStringLiteral("b"));
        QTest::newRow("unpaired low surrogate at end") << 1033 << 17 << (QStringLiteral("a") + low);
        QTest::newRow("embedded NUL") << 1033 << 2 << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
        QTest::newRow("ID 0, locale 0") << 0 << 0 << QStringLiteral("zero");
        QTest::newRow("ID 65535, locale 65535") << 65535 << 65535 << QStringLiteral("top");
        QTest::newRow("longest text") << 1033 << 3 << QString(65535, QChar(u'x'));
    }
    void textsSurviveSaveAndLoadExactly()
    {
        QFETCH(qint32, locale);
        QFETCH(qint32, id);
        QFETCH(QString, text);
        ResFile file;
        file.setFileName(m_path);
        QVERIFY(file.Create().ok());
        file.Strings().Add(locale, id, text);
        file.Strings().Add(1033, 4000, QStringLiteral("neighbour"));
        QVERIFY(file.Changed());
        QVERIFY2(file.Save(0).ok(), qPrintable(file.Save(0).errorString()));
        QVERIFY(!file.Changed());

        ResFile again;
        again.setFileName(m_path);
        QVERIFY(again.Load().ok());
        QVERIFY(!again.Changed());
        QCOMPARE(again.Strings().Count(), 2);
        const ResString *entry = again.Strings().Find(locale, id);
        QVERIFY(entry);
        QCOMPARE(entry->Text().size(), text.size());
        QVERIFY(entry->Text() == text);
    }

    void everyIdOfALanguageRoundTrips()
    {
        ResFile file;
        file.setFileName(m_path);
        for (int id = 0; id <= 65535; ++id)
            file.Strings().Add(id % 2 ? 1031 : 2057, id, QString::number(id));
        QVERIFY(file.Save().ok());
        ResFile again;
        again.setFileName(m_path);
        QVERIFY(again.Load().ok());
        QCOMPARE(again.Strings().Count(), 65536);
        QCOMPARE(again.Languages(), (QList<qint32>{1031, 2057}));
        for (int id = 0; id <= 65535; id += 97)
            QCOMPARE(again.Strings().Find(id % 2 ? 1031 : 2057, id)->Text(), QString::number(id));
        QVERIFY(again.Save().ok());
        QCOMPARE(readFile(m_path), readFile(m_path)); // second save below must be identical
        const QByteArray once = readFile(m_path);
        QVERIFY(again.Save().ok());
        QCOMPARE(readFile(m_path), once);
    }

    void otherResourcesAndBlockHeadersAreKept()
    {
        const QByteArray icon = QByteArray("\x28\0\0\0 icon bits", 15); // odd size: needs padding
        const QByteArray blob = QByteArray("named data");
        const QByteArray version = QByteArray(92, '\x5a');
        const QByteArray bytes = ResBuilder()
                                     .entry(3, 1, icon, 1033, 0x1010)
                                     .entry(6, 1, ResBuilder::block({QStringLiteral("zero"), QStringLiteral("one")}), 1033, 0x0030, 7, 9)
                                     .entry("MYDATA", "BLOB", blob, 1031, 0x0030, 3, 4)
                                     .entry(6, 2, ResBuilder::block({QStringLiteral("sixteen")}), 1031)
                                     .entry(16, 1, version, 0)
                                     .bytes();
        writeFile(m_path, bytes);
        ResFile file;
        file.setFileName(m_path);
        QVERIFY2(file.Load().ok(), qPrintable(file.Load().errorString()));
        QCOMPARE(entriesOf(file), (Entries{{1031, 16, QStringLiteral("sixteen")}, {1033, 0, QStringLiteral("zero")}, {1033, 1, QStringLiteral("one")}}));
        QCOMPARE(file.Languages(), (QList<qint32>{1031, 1033}));
        const auto &others = file.OtherResources();
        QCOMPARE(others.size(), 3);
        QCOMPARE(others[0].type.ordinal, quint16(3));
        QCOMPARE(others[0].data, icon);
        QVERIFY(others[1].type.isString);
        QCOMPARE(others[1].type.name, QStringLiteral("MYDATA"));
        QCOMPARE(others[1].name.name, QStringLiteral("BLOB"));
        QCOMPARE(others[1].fields.version, 3u);
        QCOMPARE(others[2].data, version);

        // Unchanged: the same bytes come out again.
        QVERIFY(file.Save().ok());
        const QByteArray firstSave = readFile(m_path);
        QVERIFY(file.Load().ok());
        QVERIFY(file.Save().ok());
        QCOMPARE(readFile(m_path), firstSave);

        // Edited: the other resources stay byte for byte, the rewritten block keeps its header fields.
        file.Strings().Find(1033, 1)->setText(QStringLiteral("ONE"));
        file.Strings().Add(1033, 2, QStringLiteral("two"));
        QVERIFY(file.Save().ok());
        const QByteArray saved = readFile(m_path);
        for (const auto &other : others)
            QVERIFY(saved.contains(other.header + other.data));
        ResFile again;
        again.setFileName(m_path);
        QVERIFY(again.Load().ok());
        QCOMPARE(again.OtherResources().size(), 3);
        for (qsizetype i = 0; i < 3; ++i) {
            QCOMPARE(again.OtherResources()[i].header, others[i].header);
            QCOMPARE(again.OtherResources()[i].data, others[i].data);
        }
        QCOMPARE(again.Strings().Find(1033, 1)->Text(), QStringLiteral("ONE"));
        QCOMPARE(again.Strings().Find(1033, 2)->Text(), QStringLiteral("two"));
        // The 1033 block kept memory flags 0x0030, version 7, characteristics 9.
        QByteArray blockFields = le16(0x0030) + le16(1033);
        blockFields += QByteArray("\x07\0\0\0\x09\0\0\0", 8);
        QVERIFY(saved.contains(blockFields));
    }

    void createdFileHoldsOneEmptyStringTable()
    {
        ResFile file;
        file.setFileName(m_path);
        file.Strings().Add(1, 1, QStringLiteral("dropped by Create"));
        QVERIFY(file.Create().ok());
        QCOMPARE(file.Strings().Count(), 0);
        QVERIFY(!file.Changed());
        QCOMPARE(readFile(m_path), ResBuilder().entry(6, 1, ResBuilder::block({}), 0).bytes());
        QVERIFY(file.Load().ok());
        QCOMPARE(file.Strings().Count(), 0);
        QVERIFY(file.Languages().isEmpty());
    }

    void emptyTextsAreNotStored()
    {
        ResFile file;
        file.setFileName(m_path);
        file.Strings().Add(1033, 1, QString());
        file.Strings().Add(1033, 2, QStringLiteral("kept"));
        QVERIFY(file.Save().ok());
        QVERIFY(file.Load().ok());
        QCOMPARE(entriesOf(file), (Entries{{1033, 2, QStringLiteral("kept")}}));
    }

    void duplicatesWithTheSameTextAreWrittenOnce()
    {
        ResFile file;
        file.setFileName(m_path);
        file.Strings().Add(1033, 5, QStringLiteral("same"));
        file.Strings().Add(1033, 5, QStringLiteral("same"));
        QVERIFY(file.Save().ok());
        QVERIFY(file.Load().ok());
        QCOMPARE(entriesOf(file), (Entries{{1033, 5, QStringLiteral("same")}}));
    }

    // Strings added out of key order (typed in after the file was read, or
    // imported column by column) make the same file as the same strings in
    // order; only they cost the writer a few bytes each for their order.
    void entriesOutOfKeyOrderMakeTheSameFile()
    {
        constexpr int ids = 100;
        const auto fill = [&](ResFile &file, bool inOrder) {
            QList<std::tuple<qint32, qint32>> keys;
            for (qint32 locale : {1031, 1036, 2057})
                for (int id = 0; id < ids; ++id) {
                    keys.append({locale, id * 7});
                    if (locale == 1036 && id == 2)
                        keys.append({locale, id * 7}); // a second entry of a key with the same text is written once
                }
            if (!inOrder)
                std::reverse(keys.begin(), keys.end());
            for (const auto &[locale, id] : keys)
                file.Strings().Add(locale, id, QStringLiteral("T%1/%2").arg(locale).arg(id));
        };
        ResFile sorted, shuffled;
        fill(sorted, true);
        fill(shuffled, false);
        for (ResFile *file : {&sorted, &shuffled}) {
            resutil::ResContent content;
            content.strings = &file->Strings();
            auto layout = resutil::layOut(content);
            QVERIFY2(layout.ok(), qPrintable(layout.errorString()));
            const qsizetype entries = file->Strings().Count();
            if (file == &sorted)
                QCOMPARE(layout.value().heldBytes(), std::size_t(0));
            else
                QVERIFY(layout.value().heldBytes() <= std::size_t(8 * entries + 64));
        }
        sorted.setFileName(m_path);
        QVERIFY(sorted.Save().ok());
        const QByteArray inOrder = readFile(m_path);
        shuffled.setFileName(m_path);
        QVERIFY(shuffled.Save().ok());
        QCOMPARE(readFile(m_path), inOrder);
        QVERIFY(sorted.Load().ok());
        QCOMPARE(sorted.Strings().Count(), qsizetype(3 * ids));
        QCOMPARE(sorted.Strings().TextOf(2057, 7 * 99), QStringLiteral("T2057/693"));
    }

    // Of several entries the format cannot hold, the refusal names the first
    // that was added, whether the entries come in key order or not.
    void theFirstEntryThatCannotBeWrittenIsNamed_data()
    {
        QTest::addColumn<bool>("conflictFirst");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two texts first") << true << QStringLiteral("string ID 3 in locale 1031 has two different texts, \"a\" and \"b\"");
        QTest::newRow("ID out of range first") << false << QStringLiteral("string ID 70000 in locale 1031: the string ID is outside 0..65535");
    }
    void theFirstEntryThatCannotBeWrittenIsNamed()
    {
        QFETCH(bool, conflictFirst);
        QFETCH(QString, expected);
        ResFile file;
        file.setFileName(m_path);
        ResString *entry = nullptr;
        file.Strings().Add(2057, 9, QStringLiteral("z"));
        file.Strings().Add(1031, 5, QStringLiteral("x")); // out of key order from here on
        file.Strings().Add(1031, 3, QStringLiteral("a"));
        if (conflictFirst) {
            file.Strings().Add(1031, 3, QStringLiteral("b"));
            entry = file.Strings().Add(1031, 70000, QStringLiteral("y"));
        } else {
            entry = file.Strings().Add(1031, 70000, QStringLiteral("y"));
            file.Strings().Add(1031, 3, QStringLiteral("b"));
        }
        file.Strings().Add(1031, 4, QStringLiteral("c"));
        file.Strings().Add(1031, 4, QStringLiteral("d"));
        QVERIFY(entry);
        const qm::Status status = file.Save(0);
        QVERIFY(!status.ok());
        QVERIFY2(status.errorString().endsWith(expected), qPrintable(status.errorString()));
        QVERIFY(!QFileInfo::exists(m_path));
    }

    void whatTheFormatCannotHoldIsRefused_data()
    {
        QTest::addColumn<qint32>("locale");
        QTest::addColumn<qint32>("id");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        QTest::newRow("negative ID") << 1033 << -1 << 1 << QStringLiteral("string ID -1 in locale 1033: the string ID is outside 0..65535");
        QTest::newRow("ID 65536") << 1033 << 65536 << 1 << QStringLiteral("string ID 65536 in locale 1033: the string ID is outside 0..65535");
        QTest::newRow("locale 65536") << 65536 << 1 << 1 << QStringLiteral("string ID 1 in locale 65536: the locale ID is outside 0..65535");
        QTest::newRow("text too long") << 1033 << 1 << 65536 << QStringLiteral("string ID 1 in locale 1033: the text has 65536 UTF-16 units");
        QTest::newRow("two texts") << 1033 << 7 << -1 << QStringLiteral("string ID 7 in locale 1033 has two different texts, \"original\" and \"other\"");
    }
    void whatTheFormatCannotHoldIsRefused()
    {
        QFETCH(qint32, locale);
        QFETCH(qint32, id);
        QFETCH(int, length);
        QFETCH(QString, expected);
        ResFile file;
        file.setFileName(m_path);
        file.Strings().Add(1033, 7, QStringLiteral("original"));
        QVERIFY(file.Save().ok());
        const QByteArray before = readFile(m_path);
        file.Strings().Add(locale, id, length < 0 ? QStringLiteral("other") : QString(length, QChar(u'y')));
        const qm::Status status = file.Save(0);
        QVERIFY(!status.ok());
        QVERIFY2(status.errorString().contains(expected), qPrintable(status.errorString()));
        QVERIFY(status.errorString().startsWith(QDir::toNativeSeparators(m_path) + QStringLiteral(": not saved: ")));
        QCOMPARE(readFile(m_path), before);
        QVERIFY(file.Changed());
        QCOMPARE(QDir(m_env->path()).entryList(QDir::Files), QStringList{QStringLiteral("test.res")});
    }

    void malformedFilesAreRefusedAndNeverOverwritten_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        const QByteArray good = ResBuilder().entry(6, 1, ResBuilder::block({QStringLiteral("a")}), 1033).bytes();
        QTest::newRow("empty") << QByteArray() << QStringLiteral("the file is empty");
        QTest::newRow("not a resource file") << QByteArray("MZ\x90\0 some executable", 20)
                                             << QStringLiteral("offset 0 (0x0): not a 32-bit resource file");
        QTest::newRow("cut header") << good.left(36) << QStringLiteral("offset 32 (0x20): the entry header is cut off");
        QByteArray smallHeader = good;
        qToLittleEndian<quint32>(16, smallHeader.data() + 36);
        QTest::newRow("header too small") << smallHeader << QStringLiteral("offset 32 (0x20): header size 16 is below the minimum of 32");
        QByteArray hugeHeader = good;
        qToLittleEndian<quint32>(0xFFFFFFF0u, hugeHeader.data() + 36);
        QTest::newRow("header past end") << hugeHeader << QStringLiteral("offset 32 (0x20): header size 4294967280 runs past the end");
        QByteArray hugeData = good;
        qToLittleEndian<quint32>(0x7FFFFFFFu, hugeData.data() + 32);
        QTest::newRow("data past end") << hugeData << QStringLiteral("offset 32 (0x20): data size 2147483647 runs past the end");
        const QByteArray unterminated = ResBuilder().entry("ABCDEFGHIJKL", 1, {}, 0).bytes();
        QByteArray cutName = unterminated;
        qToLittleEndian<quint32>(32, cutName.data() + 36);
        QTest::newRow("name runs out of header") << cutName << QStringLiteral("offset 32 (0x20): the resource");
        QByteArray longString = good;
        qToLittleEndian<quint16>(500, longString.data() + 64);
        QTest::newRow("string past its table") << longString << QStringLiteral("offset 64 (0x40): string 0 claims 500 UTF-16 units");
        QByteArray shortBlock = ResBuilder().entry(6, 1, ResBuilder::block({QStringLiteral("a")}).left(20), 1033).bytes();
        QTest::newRow("block of fewer than 16") << shortBlock << QStringLiteral("ends after 9 of its 16 strings");
        QTest::newRow("junk after the strings")
            << ResBuilder().entry(6, 1, ResBuilder::block({}) + "junk", 1033).bytes()
            << QStringLiteral("offset 96 (0x60): unexpected data after the 16 strings");
        QTest::newRow("second block") << ResBuilder().entry(6, 1, ResBuilder::block({}), 1033).entry(6, 1, ResBuilder::block({}), 1033).bytes()
                                      << QStringLiteral("offset 96 (0x60): a second string table 1 for language 1033 (the first is at offset 32 (0x20))");
        QTest::newRow("block name 0") << ResBuilder().entry(6, 0, ResBuilder::block({}), 1033).bytes()
                                      << QStringLiteral("offset 32 (0x20): string table name 0 is outside 1..4096");
        QTest::newRow("garbage after last entry") << good + QByteArray(8, '\x01') << QStringLiteral("offset 100 (0x64): header size 16843009 runs past the end");
    }
    void malformedFilesAreRefusedAndNeverOverwritten()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        writeFile(m_path, bytes);
        ResFile file;
        file.setFileName(m_path);
        const qm::Status status = file.Load();
        QVERIFY(!status.ok());
        QVERIFY2(status.errorString().startsWith(QDir::toNativeSeparators(m_path) + QStringLiteral(": ")), qPrintable(status.errorString()));
        QVERIFY2(status.errorString().contains(expected), qPrintable(status.errorString()));
        QCOMPARE(file.Strings().Count(), 0);
        QVERIFY(!file.Changed());

        file.Strings().Add(1033, 1, QStringLiteral("would overwrite"));
        const qm::Status save = file.Save(0);
        QVERIFY(!save.ok());
        QVERIFY2(save.errorString().contains(QStringLiteral("could not be read")), qPrintable(save.errorString()));
        QCOMPARE(readFile(m_path), bytes);

        // Elsewhere is fine; a successful Load lifts the refusal.
        file.setFileName(m_path + QStringLiteral(".copy"));
        QVERIFY(file.Save(0).ok());
        file.setFileName(m_path);
        QVERIFY(!file.Save(0).ok());
        QVERIFY(QFile::remove(m_path));
        QVERIFY(QFile::copy(m_path + QStringLiteral(".copy"), m_path));
        QVERIFY(file.Load().ok());
        QVERIFY(file.Save(0).ok());
    }

    void trailingPaddingIsAccepted()
    {
        writeFile(m_path, ResBuilder().entry(6, 1, ResBuilder::block({QStringLiteral("a")}), 1033).bytes() + QByteArray(4, '\0'));
        ResFile file;
        file.setFileName(m_path);
        QVERIFY2(file.Load().ok(), qPrintable(file.Load().errorString()));
        QCOMPARE(file.Strings().Count(), 1);
    }

    void missingFileIsReportedByName()
    {
        ResFile file;
        file.setFileName(m_path);
        const qm::Status status = file.Load();
        QVERIFY(!status.ok());
        QVERIFY(status.errorString().startsWith(QDir::toNativeSeparators(m_path) + QStringLiteral(": cannot be read")));
        QVERIFY(!file.Save(0).ok());
        QVERIFY(!QFile::exists(m_path));
        QVERIFY(file.Create().ok()); // creating one is a deliberate new file
        QVERIFY(file.Save(0).ok());
    }

    void saveKeepsPermissionsAndRefusesUnknownFlags()
    {
        ResFile file;
        file.setFileName(m_path);
        QVERIFY(file.Create().ok());
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        file.Strings().Add(1033, 1, QStringLiteral("x"));
        QVERIFY(!file.Save(1).ok());
        QVERIFY(file.Save(0).ok());
        QCOMPARE(QFile::permissions(m_path) & QFile::Permissions(0x7077), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QVERIFY(file.Load().ok());
        QCOMPARE(file.Strings().Count(), 1);
    }

    void failedWriteLeavesTheFileAsItWas()
    {
        if (geteuid() == 0)
            QSKIP("running as root: a read-only folder does not stop writes");
        const QString folder = QDir(m_env->path()).filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = QDir(folder).filePath(QStringLiteral("a.res"));
        ResFile file;
        file.setFileName(path);
        QVERIFY(file.Create().ok());
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        file.Strings().Add(1033, 1, QStringLiteral("x"));
        const qm::Status status = file.Save(0);
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(!status.ok());
        QVERIFY2(status.errorString().contains(QStringLiteral("cannot be written")), qPrintable(status.errorString()));
        QCOMPARE(readFile(path), ResBuilder().entry(6, 1, ResBuilder::block({}), 0).bytes());
        QVERIFY(file.Changed());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    QString m_path;
};

QTEST_GUILESS_MAIN(ResFileTest)
#include "resfile_test.moc"
