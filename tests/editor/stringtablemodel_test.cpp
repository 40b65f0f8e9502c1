#include "editor/StringTableModel.h"
#include "platform/resutil/ResStrings.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "tests/testlib/TestEnvironment.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

// The grid's table over a project's strings: rows and columns as the strings
// and the table's own empty rows and languages give them, every change told
// to the views as Qt's model tester expects, and the texts read where the
// strings keep them.
class StringTableModelTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;

    static constexpr qint32 English = 2057;
    static constexpr qint32 German = 1031;
    static constexpr qint32 French = 1036;

    static void fill(resutil::ResStrings &strings, const StringSnapshot &records)
    {
        for (const StringRecord &record : records)
            strings.Add(record.localeId, record.id, record.text);
    }
    static QString text(const StringTableModel &table, qint32 id, qint32 locale)
    {
        return table.cellText(table.findItemData(id), table.languages().columnOf(locale));
    }

private slots:
    void rowsAndColumnsComeFromTheStrings()
    {
        resutil::ResStrings strings;
        fill(strings, {{English, 7, "Seven"}, {English, 2, "Two"}, {German, 7, "Sieben"}, {German, 2, "Zwei"}});
        StringTableModel table(strings, 11);
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(table.ids(), (std::vector<qint32>{2, 7}));
        QCOMPARE(table.columnCount(), 3);
        QCOMPARE(table.languages().upperBound(), 10);
        table.setIdCaption(QStringLiteral("Resource ID"));
        QCOMPARE(table.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Resource ID"));
        QCOMPARE(table.headerData(2, Qt::Horizontal).toString(), table.languages()[1].LanguageName);
        const QModelIndex seven = table.index(1, 0);
        QCOMPARE(seven.data().toString(), QStringLiteral("7"));
        QCOMPARE(seven.data(Qt::UserRole).toInt(), 7);
        QCOMPARE(table.index(1, 2).data().toString(), QStringLiteral("Sieben"));
        QString scratch;
        QCOMPARE(table.cellTextView(1, 2, scratch).toString(), QStringLiteral("Sieben"));
        QCOMPARE(table.cellTextView(1, 0, scratch).toString(), QStringLiteral("7"));
        QVERIFY(table.cellTextView(0, 3, scratch).isNull());
        QCOMPARE(table.index(0, 1).data(Qt::FontRole).value<QFont>().family(), table.languages()[0].FontName);
        QVERIFY(!table.index(0, 0).data(Qt::FontRole).isValid());
        QCOMPARE(table.findItemData(3), -1);
    }

    void everyChangeIsToldAsTheTesterExpects()
    {
        resutil::ResStrings strings;
        fill(strings, {{English, 1, "One"}, {English, 5, "Five"}, {German, 1, "Eins"}});
        StringTableModel table(strings, 11);
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
        QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);

        table.setText(German, 5, QStringLiteral("Fünf"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(text(table, 5, German), QStringLiteral("Fünf"));
        QCOMPARE(strings.Find(German, 5)->Text(), QStringLiteral("Fünf"));

        // A text for an ID without a row gives it one in its place among the IDs.
        table.setText(English, 3, QStringLiteral("Three"));
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][1].toInt(), 1);
        QCOMPARE(table.ids(), (std::vector<qint32>{1, 3, 5}));

        QVERIFY(table.insertRow(9));
        QVERIFY(!table.insertRow(9));
        QVERIFY(!table.rowHasTexts(9));
        QCOMPARE(strings.Count(), 5);  // an empty row is the table's own

        table.setText(English, 3, std::nullopt);
        QVERIFY(!strings.Find(English, 3));
        QCOMPARE(table.findItemData(3), 1);  // the row stays until it is removed

        const StringTableModel::Removed removed = table.removeRow(1);
        QCOMPARE(removed.size(), std::size_t(2));
        QCOMPARE(table.ids(), (std::vector<qint32>{3, 5, 9}));
        table.restoreRow(1, removed);
        QCOMPARE(table.ids(), (std::vector<qint32>{1, 3, 5, 9}));
        QCOMPARE(TakeSnapshot(strings).front(), (StringRecord{English, 1, "One"}));
        QCOMPARE(text(table, 1, German), QStringLiteral("Eins"));
    }

    void languagesChangeAsOneResetAndComeBackInTheirPlace()
    {
        resutil::ResStrings strings;
        fill(strings, {{English, 1, "One"}, {German, 1, "Eins"}, {German, 2, "Zwei"}});
        StringTableModel table(strings, 11);
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        table.insertRow(3);
        QSignalSpy before(&table, &StringTableModel::languagesAboutToChange);
        QSignalSpy after(&table, &StringTableModel::languagesChanged);
        QSignalSpy reset(&table, &QAbstractItemModel::modelReset);

        table.insertLanguage(French, QStringLiteral("French"));
        QCOMPARE(table.languages().locales(), (QList<qint32>{English, German, French}));
        QCOMPARE(strings.Languages(), (QList<qint32>{English, German}));
        QCOMPARE(table.columnCaption(3), QStringLiteral("French"));

        const StringTableModel::RemovedLanguage german = table.removeLanguage(German);
        QCOMPARE(german.index, 1);
        QCOMPARE(table.languages().locales(), (QList<qint32>{English, French}));
        QVERIFY(!strings.Find(German, 1));
        // A string whose texts were all in the language goes; the others and empty rows stay.
        QCOMPARE(table.ids(), (std::vector<qint32>{1, 3}));
        table.restoreLanguage(german);
        QCOMPARE(table.ids(), (std::vector<qint32>{1, 2, 3}));
        QCOMPARE(table.languages().locales(), (QList<qint32>{English, German, French}));
        QCOMPARE(text(table, 1, German), QStringLiteral("Eins"));
        QCOMPARE(table.languages()[2].Column, 3);
        QCOMPARE(before.size(), 3);
        QCOMPARE(after.size(), 3);
        QCOMPARE(reset.size(), 3);
    }

    void aReplacementLeavesWhatTheNewStringsHold()
    {
        resutil::ResStrings strings;
        fill(strings, {{English, 1, "One"}});
        StringTableModel table(strings, 11);
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        table.insertRow(4);
        table.insertLanguage(French, QStringLiteral("French"));
        table.replaceStrings({{German, 2, "Zwei"}, {German, 3, "Drei"}});
        QCOMPARE(table.ids(), (std::vector<qint32>{2, 3}));
        QCOMPARE(table.languages().locales(), QList<qint32>{German});
        QCOMPARE(text(table, 3, German), QStringLiteral("Drei"));
    }

    void entriesAddedBehindItsBackGetRowsAndUnknownLanguagesAreNamed()
    {
        resutil::ResStrings strings;
        fill(strings, {{English, 1, "One"}});
        StringTableModel table(strings, 11);
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        strings.Add(German, 2, QStringLiteral("Zwei"));
        strings.Add(English, 2, QStringLiteral("Two"));
        QCOMPARE(table.addRowsOfNewEntries(), std::vector<qint32>{German});
        QCOMPARE(table.ids(), (std::vector<qint32>{1, 2}));
        // Many at once are one reset: the IDs still come out in order, once each.
        for (qint32 id = 100; id > 40; --id)
            strings.Add(English, id, QStringLiteral("t%1").arg(id));
        QSignalSpy reset(&table, &QAbstractItemModel::modelReset);
        QVERIFY(table.addRowsOfNewEntries().size() == 1);
        QCOMPARE(reset.size(), 1);
        QCOMPARE(table.rowCount(), 62);
        QVERIFY(std::is_sorted(table.ids().begin(), table.ids().end()));
        QCOMPARE(text(table, 41, English), QStringLiteral("t41"));
    }

    void textsAreReadWhereTheFileKeepsThem()
    {
        // A loaded file's texts lie in one buffer; the table hands them out from there.
        resutil::ResStrings strings;
        const QString buffer = QStringLiteral("Hello") + QChar(0) + QStringLiteral("Hallo") + QChar(0);
        strings.adoptBuffer(buffer);
        strings.AddStored(English, 1, 0, 5);
        strings.AddStored(German, 1, 6, 5);
        StringTableModel table(strings, 11);
        const QString shown = table.cellText(0, table.languages().columnOf(German));
        QCOMPARE(shown, QStringLiteral("Hallo"));
        const QString &kept = strings.LoadedBuffer();
        QVERIFY(shown.constData() >= kept.constData() && shown.constData() < kept.constData() + kept.size());
        QCOMPARE(strings.TextOf(German, 1).constData(), shown.constData());
    }

    void aHeldTableReadsNoTextsAndTellsWhenItMayAgain()
    {
        resutil::ResStrings strings;
        fill(strings, {{English, 1, "One"}});
        StringTableModel table(strings, 11);
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        table.setHeld(true);
        QVERIFY(table.cellText(0, 1).isEmpty());
        QCOMPARE(table.cellText(0, 0), QStringLiteral("1"));
        QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
        table.setHeld(false);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(table.cellText(0, 1), QStringLiteral("One"));
    }

    void theGridShowsTheTableAndFallsBackWhenItGoes()
    {
        resutil::ResStrings strings;
        fill(strings, {{English, 1, "One"}, {English, 2, "Two"}});
        win32::SftTree grid;
        grid.resize(400, 300);
        grid.show();
        {
            StringTableModel table(strings, 11);
            grid.setSourceModel(&table);
            grid.setColumnCount(table.columnCount());
            grid.setColumnEditable(1, true);
            QCOMPARE(grid.itemCount(), 2);
            QCOMPARE(grid.cellText(grid.findItemData(2), 1), QStringLiteral("Two"));
            // A text typed into a cell reaches the table only through its owner.
            QVERIFY(grid.beginEdit(0, 1));
            grid.cellEditor()->setText(QStringLiteral("Uno"));
            QVERIFY(grid.endEdit(true));
            QCOMPARE(strings.Find(English, 1)->Text(), QStringLiteral("One"));
            table.setText(English, 1, QStringLiteral("Uno"));
            QCOMPARE(grid.viewIndex(0, 1).data().toString(), QStringLiteral("Uno"));
        }
        QVERIFY(grid.showsOwnModel());
        QCOMPARE(grid.itemCount(), 0);
    }
};

QTEST_MAIN(StringTableModelTest)
#include "stringtablemodel_test.moc"
