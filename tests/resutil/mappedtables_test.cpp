// A file's string tables read in place give what loading the file gives.
#include "platform/resutil/MappedStringTables.h"
#include "platform/resutil/ResFile.h"
#include "tests/resutil/ResBuilder.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QtTest>

using resutil::MappedStringTables;

namespace {

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

// Three languages with different IDs, gaps between tables and within them,
// and texts of every length class.
QByteArray threeLanguages()
{
    return ResBuilder()
        .entry(6, 1, ResBuilder::block({text("null"), {}, text("'quoted")}), 1031)
        .entry(6, 2500, ResBuilder::block({{}, text("far"), QString(4000, QChar(0x3042))}), 1031)
        .entry(6, 1, ResBuilder::block({{}, text("one"), text("two"), text("three")}), 1033)
        .entry(3, 7, QByteArray(40, 'i'), 1033) // not a string table: left alone
        .entry(6, 3, ResBuilder::block({text("thirty-two")}), 1033)
        .entry(6, 4096, ResBuilder::block({{}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, text("last")}), 1041)
        .bytes();
}

// The same tables, languages interleaved and names descending, as other tools may write them.
QByteArray threeLanguagesInAnyOrder()
{
    return ResBuilder()
        .entry(6, 4096, ResBuilder::block({{}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, text("last")}), 1041)
        .entry(6, 3, ResBuilder::block({text("thirty-two")}), 1033)
        .entry(6, 2500, ResBuilder::block({{}, text("far"), QString(4000, QChar(0x3042))}), 1031)
        .entry(3, 7, QByteArray(40, 'i'), 1033)
        .entry(6, 1, ResBuilder::block({{}, text("one"), text("two"), text("three")}), 1033)
        .entry(6, 1, ResBuilder::block({text("null"), {}, text("'quoted")}), 1031)
        .bytes();
}

} // namespace

class MappedTablesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    QString m_path;

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_path = QDir(m_env->path()).filePath(QStringLiteral("tables.res"));
    }

    void givesTheTableALoadedFileGives_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("tables in key order") << threeLanguages();
        QTest::newRow("tables in any order") << threeLanguagesInAnyOrder();
    }
    void givesTheTableALoadedFileGives()
    {
        QFETCH(QByteArray, bytes);
        writeFile(m_path, bytes);
        resutil::ResFile loaded;
        loaded.setFileName(m_path);
        QVERIFY(loaded.Load().ok());
        std::vector<qint32> ids, locales;
        for (const resutil::ResString *entry : loaded.Strings()) {
            if (std::find(ids.begin(), ids.end(), entry->ID()) == ids.end())
                ids.push_back(entry->ID());
            if (std::find(locales.begin(), locales.end(), entry->LocaleID()) == locales.end())
                locales.push_back(entry->LocaleID());
        }

        auto tables = MappedStringTables::open(m_path);
        QVERIFY(tables);
        QCOMPARE(tables->ids(), ids);
        QCOMPARE(tables->locales(), locales);
        QCOMPARE(tables->count(), loaded.Strings().Count());
        // Every cell, row by row as an export asks, then backwards.
        for (int pass = 0; pass < 2; ++pass) {
            for (std::size_t r = 0; r < ids.size(); ++r) {
                const qint32 id = ids[pass == 0 ? r : ids.size() - 1 - r];
                for (std::size_t c = 0; c < locales.size(); ++c) {
                    const resutil::ResString *entry = loaded.Strings().Find(locales[c], id);
                    const QStringView got = tables->text(c, id);
                    QCOMPARE(got.isNull(), entry == nullptr);
                    if (entry)
                        QCOMPARE(got.toString(), entry->Text());
                }
            }
        }
        QVERIFY(tables->intact());
    }

    // Files only the full load reads, or that no reader takes, are left to it.
    void leavesOtherFilesToTheFullLoad_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("loads");
        QTest::newRow("a second table of one language and name")
            << ResBuilder().entry(6, 2, ResBuilder::block({text("b")}), 1033).entry(6, 1, ResBuilder::block({text("a")}), 1033)
                   .entry(6, 2, ResBuilder::block({text("c")}), 1033).bytes()
            << false;
        // Found only once the strings are read: data after the 16 strings of the first table.
        QTest::newRow("tables in any order, a fault in a table")
            << ResBuilder().entry(6, 2, ResBuilder::block({text("b")}), 1033)
                   .entry(6, 1, ResBuilder::block({text("a")}) + QByteArray("x\0", 2), 1033).bytes()
            << false;
        QByteArray cut = threeLanguages();
        cut.chop(40);
        QTest::newRow("cut off") << cut << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("not a resource file") << QByteArray(64, 'x') << false;
    }
    void leavesOtherFilesToTheFullLoad()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loads);
        writeFile(m_path, bytes);
        QVERIFY(!MappedStringTables::open(m_path));
        resutil::ResFile loaded;
        loaded.setFileName(m_path);
        QCOMPARE(loaded.Load().ok(), loads);
        QVERIFY(!MappedStringTables::open(m_path + QStringLiteral(".missing")));
    }

    // A length rewritten in place after the file was read must not lead the
    // reader past its table: the texts from there on are missing, and that is told.
    void aFileChangedMeanwhileIsNoticed()
    {
        const QByteArray bytes = threeLanguages();
        writeFile(m_path, bytes);
        auto tables = MappedStringTables::open(m_path);
        QVERIFY(tables);
        const qsizetype one = bytes.indexOf(QByteArray("o\0n\0e\0", 6)) - 2; // the length of 1033's "one"
        QVERIFY(one > 0);
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(one));
        QCOMPARE(file.write(QByteArray("\xff\xff", 2)), qint64(2));
        file.close();

        const std::size_t english = 1;
        QCOMPARE(tables->locales()[english], 1033);
        QVERIFY(tables->text(english, 1).isNull());
        QVERIFY(tables->text(english, 3).isNull());
        QVERIFY(!tables->intact());
        QCOMPARE(tables->text(english, 32).toString(), text("thirty-two"));
    }
};

QTEST_GUILESS_MAIN(MappedTablesTest)
#include "mappedtables_test.moc"
