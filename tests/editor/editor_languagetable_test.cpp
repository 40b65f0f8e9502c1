#include "editor/LanguageTable.h"
#include "tests/testlib/TestEnvironment.h"

#include <QtTest>

// The grid's language table: which column shows which language, how the
// columns move when one goes, and the room the table keeps.
class LanguageTableTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;

private slots:
    void columnsFollowTheTableOrder()
    {
        LanguageTable table(11);
        table.assign({1033, 1031, 1041});
        QCOMPARE(table.count(), 3);
        QCOMPARE(table.last(), 2);
        QCOMPARE(table.upperBound(), 10);
        QCOMPARE(table.columnOf(1031), 2);
        QCOMPARE(table.localeOf(3), 1041);
        QCOMPARE(table.indexOfColumn(1), 0);
        // The ID column and columns beyond the last show no language.
        QCOMPARE(table.localeOf(0), -1);
        QCOMPARE(table.localeOf(4), -1);
        QCOMPARE(table.columnOf(1036), -1);
        QCOMPARE(table.indexOfColumn(0), -1);
        QCOMPARE(table.locales(), (QList<qint32>{1033, 1031, 1041}));
        QCOMPARE(table.columns(), (std::vector<int>{1, 2, 3}));
        QVERIFY(!table[1].LanguageName.isEmpty());
        QCOMPARE(table[2].DefaultFont, QStringLiteral("MS GOTHIC"));
    }

    void removingALanguageMovesTheLaterColumnsLeft()
    {
        LanguageTable table(11);
        table.assign({1033, 1031, 1041});
        QVERIFY(!table.remove(1036));
        QVERIFY(table.remove(1031));
        QCOMPARE(table.count(), 2);
        QCOMPARE(table.columnOf(1041), 2);
        QCOMPARE(table.localeOf(2), 1041);
        QCOMPARE(table.localeOf(3), -1);
        QCOMPARE(table[1].DefaultFont, QStringLiteral("MS GOTHIC"));
        table.append(1031, QStringLiteral("German"));
        QCOMPARE(table.columnOf(1031), 3);
        QCOMPARE(table[2].LanguageName, QStringLiteral("German"));
        table.clear();
        QVERIFY(table.isEmpty());
        QCOMPARE(table.columnOf(1033), -1);
        QCOMPARE(table.upperBound(), 10);
    }

    void theTableGrowsByTenBeyondWhatItNeeds()
    {
        LanguageTable table(11);
        QList<qint32> locales;
        for (qint32 locale = 1025; locale < 1037; ++locale)
            locales.append(locale);
        table.assign(locales);
        QCOMPARE(table.upperBound(), 22);
        LanguageTable full(11);
        full.assign(locales.mid(0, 11));
        QCOMPARE(full.upperBound(), 10);
        full.append(2057, QStringLiteral("English (UK)"));
        QCOMPARE(full.upperBound(), 21);
        QCOMPARE(full.columnOf(2057), 12);
    }
};

QTEST_MAIN(LanguageTableTest)
#include "editor_languagetable_test.moc"
