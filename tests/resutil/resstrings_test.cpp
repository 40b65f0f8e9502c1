#include "platform/resutil/ResStrings.h"
#include "tests/testlib/HeapInUse.h"
#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

#include <climits>

using resutil::ResString;
using resutil::ResStrings;

class ResStringsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    void removeWhileEnumeratingVisitsEveryOtherEntryOnce_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("removeEvery"); // remove the current entry when ID % removeEvery == 0
        QTest::addColumn<bool>("removeNext"); // remove the entry after the current one instead
        QTest::newRow("remove all, small") << 5 << 1 << false;
        QTest::newRow("remove all, compacting") << 1000 << 1 << false;
        QTest::newRow("remove every third, compacting") << 1000 << 3 << false;
        QTest::newRow("remove none") << 100 << 1000000 << false;
        QTest::newRow("remove the next entry") << 300 << 2 << true;
    }
    void removeWhileEnumeratingVisitsEveryOtherEntryOnce()
    {
        QFETCH(int, count);
        QFETCH(int, removeEvery);
        QFETCH(bool, removeNext);
        ResStrings strings;
        for (int id = 0; id < count; ++id)
            strings.Add(1033, id, QString::number(id));
        QList<int> visited;
        QSet<int> removedIds;
        for (ResString *entry : strings) {
            visited.append(entry->ID());
            QVERIFY(!removedIds.contains(entry->ID()));
            if (entry->ID() % removeEvery != 0)
                continue;
            if (removeNext) {
                if (ResString *next = strings.Find(1033, entry->ID() + 1)) {
                    removedIds.insert(next->ID());
                    QVERIFY(strings.Remove(next).ok());
                }
            } else {
                removedIds.insert(entry->ID());
                QVERIFY(strings.Remove(entry).ok());
            }
        }
        QList<int> expected;
        for (int id = 0; id < count; ++id)
            if (!removeNext || !removedIds.contains(id))
                expected.append(id);
        QCOMPARE(visited, expected);
        QCOMPARE(strings.Count(), count - removedIds.size());
        for (int id = 0; id < count; ++id)
            QCOMPARE(strings.Find(1033, id) != nullptr, !removedIds.contains(id));
    }

    void entriesAddedWhileEnumeratingComeLast()
    {
        ResStrings strings;
        strings.Add(1, 1, QStringLiteral("a"));
        strings.Add(1, 2, QStringLiteral("b"));
        QList<int> visited;
        for (ResString *entry : strings) {
            visited.append(entry->ID());
            if (entry->ID() == 1)
                strings.Add(1, 3, QStringLiteral("c"));
        }
        QCOMPARE(visited, (QList<int>{1, 2, 3}));
    }

    // The slots never move while an iterator lives: removals under two
    // iterators at once leave both on course, and a clear sends a live one to
    // the entries added since.
    void iteratorsStayOnCourseThroughRemovalsAndClear()
    {
        ResStrings strings;
        for (int id = 0; id < 400; ++id)
            strings.Add(1033, id, QString::number(id));
        QList<int> outer;
        int innerVisits = 0;
        for (ResString *entry : strings) {
            outer.append(entry->ID());
            if (entry->ID() == 10) {
                // An inner pass removes every entry but the multiples of ten.
                for (ResString *other : strings) {
                    ++innerVisits;
                    if (other->ID() % 10 != 0)
                        QVERIFY(strings.Remove(other).ok());
                }
            }
        }
        QCOMPARE(innerVisits, 400);
        QList<int> expected;
        for (int id = 0; id < 400; ++id)
            if (id <= 10 || id % 10 == 0)
                expected.append(id);
        QCOMPARE(outer, expected);
        QCOMPARE(strings.Count(), 40);
        for (int id = 0; id < 400; id += 10)
            QCOMPARE(strings.TextOf(1033, id), QString::number(id));

        // Once no iterator lives, removals compact again and every key is still found.
        for (int id = 0; id < 400; id += 20)
            QVERIFY(strings.Remove(strings.Find(1033, id)).ok());
        QCOMPARE(strings.Count(), 20);
        for (int id = 10; id < 400; id += 20)
            QCOMPARE(strings.TextOf(1033, id), QString::number(id));

        QList<int> afterClear;
        for (ResString *entry : strings) {
            afterClear.append(entry->ID());
            if (entry->ID() == 10) {
                strings.Clear();
                strings.Add(1041, 7, QStringLiteral("new"));
                strings.Add(1041, 8, QStringLiteral("newer"));
            }
        }
        QCOMPARE(afterClear, (QList<int>{10, 7, 8}));
    }

    void findFollowsKeyChangesAndDuplicates()
    {
        ResStrings strings;
        ResString *first = strings.Add(1033, 7, QStringLiteral("first"));
        ResString *second = strings.Add(1033, 7, QStringLiteral("second"));
        QCOMPARE(strings.Find(1033, 7), first);
        QVERIFY(strings.Remove(first).ok());
        QCOMPARE(strings.Find(1033, 7), second);
        second->setID(8);
        second->setLocaleID(1031);
        QCOMPARE(strings.Find(1033, 7), nullptr);
        QCOMPARE(strings.Find(1031, 8), second);
        QCOMPARE(strings.Find(-1, -1), nullptr);
        ResString *negative = strings.Add(-1, -1, QStringLiteral("kept apart"));
        QCOMPARE(strings.Find(-1, -1), negative);
        QCOMPARE(strings.Find(1031, 8), second);
    }

    void languagesInOrderOfFirstOccurrence()
    {
        ResStrings strings;
        QVERIFY(strings.Languages().isEmpty());
        strings.Add(1031, 1, QStringLiteral("x"));
        ResString *english = strings.Add(2057, 1, QStringLiteral("x"));
        strings.Add(1031, 2, QStringLiteral("x"));
        strings.Add(1036, 1, QStringLiteral("x"));
        QCOMPARE(strings.Languages(), (QList<qint32>{1031, 2057, 1036}));
        english->setLocaleID(1036);
        QCOMPARE(strings.Languages(), (QList<qint32>{1031, 1036}));
        strings.Clear();
        QVERIFY(strings.Languages().isEmpty());
        QCOMPARE(strings.Count(), 0);
    }

    void changedAfterEveryKindOfEdit()
    {
        ResStrings strings;
        ResString *entry = strings.Add(1, 1, QStringLiteral("a"));
        QVERIFY(strings.Changed());
        strings.setChanged(false);
        entry->setText(QStringLiteral("a"));
        QVERIFY(!strings.Changed());
        entry->setText(QStringLiteral("b"));
        QVERIFY(strings.Changed());
        strings.setChanged(false);
        entry->setID(2);
        QVERIFY(strings.Changed());
        strings.setChanged(false);
        QVERIFY(strings.Remove(entry).ok());
        QVERIFY(strings.Changed());
        strings.setChanged(false);
        strings.Clear();
        QVERIFY(strings.Changed());
    }

    void findAgreesWithAPlainMapUnderRandomEdits()
    {
        // Few distinct keys, many edits: long probe runs, erasures inside them, regrowth.
        ResStrings strings;
        QHash<quint64, ResString *> expected;
        QRandomGenerator random(4711);
        for (int step = 0; step < 20000; ++step) {
            const qint32 locale = qint32(random.bounded(3)) * 1000 + 1031;
            const qint32 id = qint32(random.bounded(3000)) - 100;
            const quint64 k = (quint64(quint32(locale)) << 32) | quint32(id);
            ResString *present = expected.value(k);
            QCOMPARE(strings.Find(locale, id), present);
            if (present && random.bounded(2)) {
                QVERIFY(strings.Remove(present).ok());
                expected.remove(k);
            } else if (present) {
                const qint32 newId = id + 5000;
                const quint64 moved = (quint64(quint32(locale)) << 32) | quint32(newId);
                if (!expected.contains(moved)) {
                    present->setID(newId);
                    expected.remove(k);
                    expected.insert(moved, present);
                }
            } else {
                expected.insert(k, strings.Add(locale, id, QStringLiteral("x")));
            }
        }
        QCOMPARE(strings.Count(), expected.size());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(strings.Find(qint32(it.key() >> 32), qint32(it.key() & 0xFFFFFFFF)), it.value());
    }

    void extremeKeysAreKeptApart()
    {
        // Neighbours across the sixteen-ID groups, signs and the 32-bit ends.
        const QList<qint32> ids{0, 15, 16, 17, -1, -16, -17, 65535, 65536, INT_MAX, INT_MIN, INT_MIN + 15};
        const QList<qint32> locales{0, 1033, 65535, -1, INT_MAX, INT_MIN};
        ResStrings strings;
        for (qint32 locale : locales)
            for (qint32 id : ids)
                strings.Add(locale, id, QStringLiteral("%1/%2").arg(locale).arg(id));
        for (qint32 locale : locales)
            for (qint32 id : ids)
                QCOMPARE(strings.Find(locale, id)->Text(), QStringLiteral("%1/%2").arg(locale).arg(id));
        QCOMPARE(strings.Find(1033, 14), nullptr);
        QCOMPARE(strings.Find(1034, 15), nullptr);
        // Emptying a group and filling it again.
        for (qint32 id : {0, 15})
            QVERIFY(strings.Remove(strings.Find(1033, id)).ok());
        QCOMPARE(strings.Find(1033, 0), nullptr);
        QCOMPARE(strings.Find(1033, 16)->Text(), QStringLiteral("1033/16"));
        ResString *again = strings.Add(1033, 3, QStringLiteral("again"));
        QCOMPARE(strings.Find(1033, 3), again);
        QCOMPARE(strings.Count(), locales.size() * ids.size() - 1);
    }

    void ownAndHandedInEntriesMix()
    {
        ResStrings strings;
        ResString *own = strings.Add(1, 1, QStringLiteral("own"));
        auto created = std::make_unique<ResString>();
        created->setLocaleID(1);
        created->setID(2);
        created->setText(QStringLiteral("handed in"));
        ResString *handed = strings.Add(std::move(created));
        for (int id = 3; id < 300; ++id)
            strings.Add(1, id, QString::number(id)); // several chunks
        QCOMPARE(strings.Find(1, 2), handed);
        QVERIFY(strings.Remove(own).ok());
        QVERIFY(!strings.Remove(own).ok()); // gone, not removable twice
        QVERIFY(strings.Remove(handed).ok());
        QCOMPARE(strings.Count(), 297);
        int visited = 0;
        for (const ResString *entry : strings) {
            QCOMPARE(entry->Text(), QString::number(entry->ID()));
            ++visited;
        }
        QCOMPARE(visited, 297);
        strings.Clear();
        QCOMPARE(strings.Count(), 0);
        QVERIFY(strings.Add(std::make_unique<ResString>(5, 5, QStringLiteral("after clear"))));
        QCOMPARE(strings.Find(5, 5)->Text(), QStringLiteral("after clear"));
    }

    // An emptied collection gives its memory back: an import empties the
    // file's strings before it reads the sheet, and fills them at the sheet's size.
    void clearGivesTheMemoryBack()
    {
        constexpr int ids = 65536;
        ResStrings strings;
        const qint64 before = testlib::heapInUse();
        QString buffer;
        for (int id = 0; id < ids; ++id)
            buffer += QStringLiteral("t%1").arg(id % 10) + QChar(0);
        strings.reserve(ids);
        strings.adoptBuffer(buffer);
        buffer = QString();
        for (int id = 0; id < ids; ++id)
            strings.AddStored(1033, quint16(id), qsizetype(id) * 3, 2);
        QCOMPARE(strings.TextOf(1033, 12), QStringLiteral("t2"));
        QVERIFY(testlib::heapInUse() - before > qint64(ids) * 16);
        strings.Clear();
        const qint64 held = testlib::heapInUse() - before;
        QVERIFY2(held < 16 * 1024, qPrintable(QStringLiteral("%1 bytes held after Clear").arg(held)));
        strings.Add(1033, 1, QStringLiteral("again"));
        QCOMPARE(strings.TextOf(1033, 1), QStringLiteral("again"));
        QCOMPARE(strings.Count(), qsizetype(1));
    }

    void removingAForeignEntryFails()
    {
        ResStrings one;
        ResStrings other;
        ResString *entry = other.Add(1, 1, QStringLiteral("a"));
        QVERIFY(!one.Remove(entry).ok());
        QVERIFY(!one.Remove(nullptr).ok());
        QCOMPARE(other.Count(), 1);
        ResString loose(1, 1, QStringLiteral("loose"));
        QVERIFY(!other.Remove(&loose).ok());
        QCOMPARE(other.Add(nullptr), nullptr);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(ResStringsTest)
#include "resstrings_test.moc"
