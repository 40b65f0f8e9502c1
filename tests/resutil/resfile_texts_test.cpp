// How loaded texts live and how large files stream through Load and Save.
#include "platform/resutil/ResFile.h"
#include "tests/resutil/ResBuilder.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QMap>
#include <QtTest>

using resutil::ResFile;
using resutil::ResString;

namespace {

// A string table entry whose header is extra bytes longer than it needs, so
// its strings start at any alignment; padded to a DWORD unless told not to.
QByteArray tableWithLongHeader(int name, const QList<QString> &texts, int extra, bool pad = true)
{
    QByteArray entry = ResBuilder().entry(6, name, ResBuilder::block(texts), 1033).bytes().mid(32);
    const quint32 dataSize = qFromLittleEndian<quint32>(entry.constData());
    entry = entry.left(32) + QByteArray(extra, '\0') + entry.mid(32, dataSize);
    qToLittleEndian<quint32>(32 + extra, entry.data() + 4);
    while (pad && entry.size() % 4)
        entry.append('\0');
    return entry;
}

QString textFor(int id, qint32 locale)
{
    // Lengths from 0 (absent) to a few thousand units, and non-ASCII.
    const int length = (id * 7919 + locale) % 97 == 0 ? 3000 : (id * 31 + locale) % 23;
    QString text;
    for (int i = 0; i < length; ++i)
        text.append(QChar(char16_t(0x41 + (id + i) % 26 + (locale == 1041 ? 0x3000 : 0))));
    return text;
}

} // namespace

class ResFileTextsTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_path = QDir(m_env->path()).filePath(QStringLiteral("texts.res"));
    }

    void loadedTextsAreIndependentValues()
    {
        writeFile(m_path, ResBuilder()
                             .entry(6, 1, ResBuilder::block({QStringLiteral("zero"), QStringLiteral("one"), QStringLiteral("two")}), 1033)
                             .bytes());
        QString kept;
        QString grown;
        {
            ResFile file;
            file.setFileName(m_path);
            QVERIFY(file.Load().ok());
            for (const ResString *entry : file.Strings())
                QCOMPARE(entry->Text().utf16()[entry->Text().size()], u'\0');
            kept = file.Strings().Find(1033, 0)->Text();
            grown = file.Strings().Find(1033, 1)->Text();
            grown.append(QStringLiteral(" more"));
            QCOMPARE(file.Strings().Find(1033, 1)->Text(), QStringLiteral("one"));
            QCOMPARE(file.Strings().Find(1033, 2)->Text(), QStringLiteral("two"));
            file.Strings().Find(1033, 2)->setText(QStringLiteral("changed"));
            QCOMPARE(file.Strings().Find(1033, 1)->Text(), QStringLiteral("one"));
            QVERIFY(file.Load().ok()); // the first load's texts go
            QCOMPARE(file.Strings().Find(1033, 2)->Text(), QStringLiteral("two"));
        }
        // Copies outlive the file object that read them.
        QCOMPARE(kept, QStringLiteral("zero"));
        QCOMPARE(grown, QStringLiteral("one more"));

        // The last holder of a text may change it in place without harm.
        ResFile file;
        file.setFileName(m_path);
        QVERIFY(file.Load().ok());
        QString last = file.Strings().Find(1033, 1)->Text();
        file.Strings().Clear();
        last.append(QString(200, QChar(u'+')));
        last.prepend(QStringLiteral("<"));
        QCOMPARE(last, QStringLiteral("<one") + QString(200, QChar(u'+')));
    }

    // A text read in place ends at the null after it: one holding a null of
    // its own, the longest a table can hold, an empty one between others and
    // the file's last one read back exactly, through every way of reading.
    void textsEndWhereTheFileSaysTheyEnd()
    {
        const QString withNull = QStringLiteral("before") + QChar(0) + QStringLiteral("after");
        const QString longest(65535, QChar(u'L'));
        const QList<QString> first{QStringLiteral("a"), withNull, QString(), QStringLiteral("b"), QString(1, QChar(0))};
        const QList<QString> second{longest, QStringLiteral("x"), QStringLiteral("last")};
        writeFile(m_path, ResBuilder().entry(6, 1, ResBuilder::block(first), 1033).entry(6, 2, ResBuilder::block(second), 1033).bytes());
        ResFile file;
        file.setFileName(m_path);
        QVERIFY(file.Load().ok());
        QMap<int, QString> expected;
        for (int i = 0; i < first.size(); ++i)
            if (!first[i].isEmpty())
                expected.insert(i, first[i]);
        for (int i = 0; i < second.size(); ++i)
            expected.insert(16 + i, second[i]);
        QMap<int, QString> peeked;
        file.Strings().Peek([&](const resutil::ResStrings::Peeked &entry) {
            peeked.insert(entry.id, entry.text.toString());
            QCOMPARE(file.Strings().TextAt(entry.position), entry.text.toString());
        });
        QCOMPARE(peeked, expected);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            QCOMPARE(file.Strings().TextViewOf(1033, it.key()), QStringView(it.value()));
            QCOMPARE(file.Strings().TextOf(1033, it.key()), it.value());
        }
        QMap<int, QString> enumerated;
        for (const ResString *entry : file.Strings())
            enumerated.insert(entry->ID(), entry->Text());
        QCOMPARE(enumerated, expected);
    }

    void entriesReadInPlaceFollowEveryEdit()
    {
        // The entries of a loaded file, most of them never made into objects,
        // through reads in place, key changes, removals that compact the
        // collection, and saving.
        struct Expected {
            qint32 locale;
            qint32 id;
            QString text;
        };
        std::vector<Expected> expected;
        ResBuilder builder;
        for (qint32 locale : {1031, 1041}) {
            for (int name = 1; name <= 8; ++name) {
                QList<QString> texts;
                for (int id = (name - 1) * 16; id < name * 16; ++id) {
                    texts.append(QStringLiteral("%1-%2-").arg(locale).arg(id) + textFor(id, locale));
                    expected.push_back({locale, id, texts.last()});
                }
                builder.entry(6, name, ResBuilder::block(texts), locale);
            }
        }
        writeFile(m_path, builder.bytes());
        const auto readInPlace = [](const resutil::ResStrings &strings) {
            std::vector<Expected> seen;
            strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
                QCOMPARE(strings.TextAt(entry.position), entry.text);
                seen.push_back({entry.localeId, entry.id, entry.text.toString()});
            });
            return seen;
        };
        const auto same = [](const std::vector<Expected> &a, const std::vector<Expected> &b) {
            return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const Expected &x, const Expected &y) {
                       return x.locale == y.locale && x.id == y.id && x.text == y.text;
                   });
        };

        ResFile file;
        file.setFileName(m_path);
        QVERIFY(file.Load().ok());
        resutil::ResStrings &strings = file.Strings();
        QVERIFY(same(readInPlace(strings), expected));
        QCOMPARE(strings.Find(1041, 100)->Text(), expected[128 + 100].text);
        const QString before = strings.TextAt(5);
        file.setFileName(m_path + QStringLiteral(".unchanged"));
        QVERIFY(file.Save(0).ok());
        QCOMPARE(readFile(file.FileName()), readFile(m_path));

        strings.Find(1031, 5)->setText(QStringLiteral("changed"));
        expected[5].text = QStringLiteral("changed");
        strings.Find(1041, 7)->setID(300);
        expected[128 + 7].id = 300;
        QCOMPARE(before, QStringLiteral("1031-5-") + textFor(5, 1031)); // taken before the edit, kept
        // Three of four go, so the collection compacts; removal opens entries
        // in the middle of ones still read in place.
        for (resutil::ResString *entry : strings) {
            if (entry->ID() % 4 != 0 && entry->ID() != 300)
                QVERIFY(strings.Remove(entry).ok());
        }
        std::erase_if(expected, [](const Expected &e) { return e.id % 4 != 0 && e.id != 300; });
        QCOMPARE(strings.Count(), qsizetype(expected.size()));
        QVERIFY(same(readInPlace(strings), expected));
        for (const Expected &e : expected) {
            const ResString *found = strings.Find(e.locale, e.id);
            QVERIFY2(found, qPrintable(QStringLiteral("%1/%2").arg(e.locale).arg(e.id)));
            QCOMPARE(found->Text(), e.text);
        }
        QVERIFY(!strings.Find(1041, 7));
        QVERIFY(!strings.Find(1031, 5));

        QVERIFY(file.Save(0).ok());
        ResFile again;
        again.setFileName(file.FileName());
        QVERIFY(again.Load().ok());
        std::sort(expected.begin(), expected.end(), [](const Expected &a, const Expected &b) {
            return std::pair(a.locale, a.id) < std::pair(b.locale, b.id);
        });
        QVERIFY(same(readInPlace(again.Strings()), expected));
    }

    void stringsAtAnyAlignmentLoadAndSaveAgain_data()
    {
        QTest::addColumn<int>("extra");
        QTest::addColumn<bool>("endsTheFile");
        for (int extra = 0; extra < 4; ++extra) {
            QTest::addRow("header +%d", extra) << extra << false;
            QTest::addRow("header +%d, last string ends the file", extra) << extra << true;
        }
    }
    void stringsAtAnyAlignmentLoadAndSaveAgain()
    {
        QFETCH(int, extra);
        QFETCH(bool, endsTheFile);
        QByteArray bytes = ResBuilder().bytes();
        bytes += tableWithLongHeader(1, {QStringLiteral("a"), QString(), QStringLiteral("ccc")}, extra);
        bytes += ResBuilder().entry(3, 1, QByteArray("odd", 3), 1033).bytes().mid(32);
        QList<QString> last(16);
        last[15] = QStringLiteral("end");
        bytes += tableWithLongHeader(2, last, 3 - extra, !endsTheFile);
        writeFile(m_path, bytes);

        ResFile file;
        file.setFileName(m_path);
        QVERIFY2(file.Load().ok(), qPrintable(file.Load().errorString()));
        QCOMPARE(file.Strings().Count(), 3);
        QCOMPARE(file.Strings().Find(1033, 0)->Text(), QStringLiteral("a"));
        QCOMPARE(file.Strings().Find(1033, 2)->Text(), QStringLiteral("ccc"));
        QCOMPARE(file.Strings().Find(1033, 31)->Text(), QStringLiteral("end"));
        for (const ResString *entry : file.Strings())
            QCOMPARE(entry->Text().utf16()[entry->Text().size()], u'\0');
        QCOMPARE(file.OtherResources().size(), 1);
        QCOMPARE(file.OtherResources().first().data, QByteArray("odd"));

        const QString saved = m_path + QStringLiteral(".saved");
        file.setFileName(saved);
        QVERIFY(file.Save(0).ok());
        ResFile again;
        again.setFileName(saved);
        QVERIFY(again.Load().ok());
        QCOMPARE(again.Strings().Find(1033, 31)->Text(), QStringLiteral("end"));
        QVERIFY(again.Save(0).ok());
        QCOMPARE(readFile(saved).size() % 4, 0);
        again.setFileName(saved + QStringLiteral(".2"));
        QVERIFY(again.Save(0).ok());
        QCOMPARE(readFile(saved + QStringLiteral(".2")), readFile(saved));
    }

    void largeFilesStreamThroughSaveExactly()
    {
        // Resources bigger than the writer's buffer, between many tables.
        QByteArray big(300001, '\0');
        for (qsizetype i = 0; i < big.size(); ++i)
            big[i] = char(i * 131 % 251);
        const QByteArray medium(70000, '\x5c');
        writeFile(m_path, ResBuilder().entry("BIG", 1, big, 1033).entry(6, 1, ResBuilder::block({QStringLiteral("x")}), 1031)
                             .entry(10, "MEDIUM", medium, 1031).bytes());
        ResFile file;
        file.setFileName(m_path);
        QVERIFY(file.Load().ok());
        const qint32 locales[] = {1031, 1041, 2057};
        // Added from the highest key down: the file still comes out sorted.
        for (int id = 8191; id >= 0; --id)
            for (qint32 locale : locales)
                if (!(locale == 1031 && id == 0))
                    file.Strings().Add(locale, id, textFor(id, locale));
        QVERIFY(file.Save(0).ok());
        const QByteArray saved = readFile(m_path);

        ResFile again;
        again.setFileName(m_path);
        QVERIFY(again.Load().ok());
        QCOMPARE(again.OtherResources().size(), 2);
        QCOMPARE(again.OtherResources()[0].data, big);
        QCOMPARE(again.OtherResources()[1].data, medium);
        QCOMPARE(again.Languages(), (QList<qint32>{1031, 1041, 2057}));
        qint32 lastLocale = -1;
        qint32 lastId = -1;
        for (const ResString *entry : again.Strings()) {
            QVERIFY(std::pair(entry->LocaleID(), entry->ID()) > std::pair(lastLocale, lastId));
            lastLocale = entry->LocaleID();
            lastId = entry->ID();
        }
        for (int id = 1; id < 8192; id += 13)
            for (qint32 locale : locales) {
                const ResString *entry = again.Strings().Find(locale, id);
                const QString expected = textFor(id, locale);
                QCOMPARE(entry ? entry->Text() : QString(), expected);
            }
        QCOMPARE(again.Strings().Find(1031, 0)->Text(), QStringLiteral("x"));

        // The same entries added in ascending order give the same bytes.
        ResFile ascending;
        ascending.setFileName(m_path);
        QVERIFY(ascending.Load().ok());
        ascending.Strings().Clear();
        for (qint32 locale : locales)
            for (int id = 0; id < 8192; ++id)
                ascending.Strings().Add(locale, id, locale == 1031 && id == 0 ? QStringLiteral("x") : textFor(id, locale));
        ascending.setFileName(m_path + QStringLiteral(".asc"));
        QVERIFY(ascending.Save(0).ok());
        QCOMPARE(readFile(m_path + QStringLiteral(".asc")), saved);
        again.setFileName(m_path + QStringLiteral(".again"));
        QVERIFY(again.Save(0).ok());
        QCOMPARE(readFile(m_path + QStringLiteral(".again")), saved);
    }

    void duplicatesOutOfOrderAreStillFound_data()
    {
        QTest::addColumn<QList<int>>("tableNames");
        QTest::addColumn<QString>("expected");
        QTest::newRow("second table after a lower one") << QList<int>{2, 1, 2}
                                                       << QStringLiteral("a second string table 2 for language 1033 (the first is at offset 32 (0x20))");
        QTest::newRow("second table of a lower one") << QList<int>{3, 1, 1}
                                                    << QStringLiteral("a second string table 1 for language 1033 (the first is at offset 96 (0x60))");
    }
    void duplicatesOutOfOrderAreStillFound()
    {
        QFETCH(QList<int>, tableNames);
        QFETCH(QString, expected);
        ResBuilder builder;
        for (int name : tableNames)
            builder.entry(6, name, ResBuilder::block({}), 1033);
        writeFile(m_path, builder.bytes());
        ResFile file;
        file.setFileName(m_path);
        const qm::Status status = file.Load();
        QVERIFY(!status.ok());
        QVERIFY2(status.errorString().contains(expected), qPrintable(status.errorString()));

        // Out of order without a duplicate is fine, and two different texts
        // for one key are refused whatever the order they were added in.
        ResBuilder unique;
        for (int name : {3, 1, 2})
            unique.entry(6, name, ResBuilder::block({QString::number(name)}), 1033);
        writeFile(m_path, unique.bytes());
        QVERIFY(file.Load().ok());
        QCOMPARE(file.Strings().Count(), 3);
        file.Strings().Add(1033, 0, QStringLiteral("other"));
        const qm::Status save = file.Save(0);
        QVERIFY(!save.ok());
        QVERIFY2(save.errorString().contains(QStringLiteral("string ID 0 in locale 1033 has two different texts, \"1\" and \"other\"")),
                 qPrintable(save.errorString()));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    QString m_path;
};

QTEST_GUILESS_MAIN(ResFileTextsTest)
#include "resfile_texts_test.moc"
