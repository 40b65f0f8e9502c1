#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"

#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

using win32::SftTree;
using win32::SftTreeModel;

// The grid's rows as shown: a rule picks and orders them, the interface keeps
// speaking of the model's rows, and changes of the rows reach the view.
class SftTreeRowViewTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;

    static void fill(SftTree &tree, const QList<int> &ids)
    {
        tree.setColumnCount(3);
        for (int column = 1; column < 3; ++column)
            tree.setColumnEditable(column, true);
        for (int id : ids) {
            const int row = tree.addItem(QString::number(id));
            tree.setItemData(row, id);
            for (int column = 1; column < 3; ++column)
                tree.setCellText(row, column, QStringLiteral("%1/%2").arg(id).arg(column));
        }
    }
    static QList<int> shownIds(const SftTree &tree)
    {
        QList<int> ids;
        for (int position = 0; position < tree.shownItemCount(); ++position)
            ids.append(tree.itemData(tree.itemAtPosition(position)));
        return ids;
    }
    // Even IDs, largest first.
    static std::vector<int> evenDescending(const win32::SftTreeSource &model)
    {
        std::vector<int> rows;
        for (int row = model.rowCount() - 1; row >= 0; --row) {
            if (model.itemData(row) % 2 == 0)
                rows.push_back(row);
        }
        return rows;
    }

private slots:
    void ruleChoosesAndOrdersRowsInModelTerms()
    {
        SftTree tree;
        QAbstractItemModelTester tester(tree.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        fill(tree, {1, 2, 3, 4, 5, 6});
        tree.setRowRule(&evenDescending);
        QCOMPARE(shownIds(tree), (QList<int>{6, 4, 2}));
        QCOMPARE(tree.itemCount(), 6);
        QCOMPARE(tree.model()->rowCount(), 3);
        QCOMPARE(tree.positionOfItem(tree.findItemData(3)), -1);
        QCOMPARE(tree.itemBeside(tree.findItemData(6), 1), tree.findItemData(4));
        QCOMPARE(tree.itemBeside(tree.findItemData(2), 1), -1);
        QCOMPARE(tree.itemBeside(tree.findItemData(6), -1), -1);
        // The view's cells show the model row they stand for.
        QCOMPARE(tree.model()->index(0, 1).data().toString(), QStringLiteral("6/1"));
        QCOMPARE(tree.itemOf(tree.model()->index(2, 0)), tree.findItemData(2));
        // A rule naming a row twice or one out of range cannot break the index.
        tree.setRowRule([](const win32::SftTreeSource &) { return std::vector<int>{2, 2, -1, 99, 0}; });
        QCOMPARE(shownIds(tree), (QList<int>{3, 1}));
        tree.setRowRule({});
        QCOMPARE(shownIds(tree), (QList<int>{1, 2, 3, 4, 5, 6}));
    }

    void currentCellAndSelectionFollowTheirRow()
    {
        SftTree tree;
        fill(tree, {1, 2, 3, 4, 5, 6});
        tree.selectRow(tree.findItemData(4));
        tree.setCurrentCell(tree.findItemData(4), 2);
        tree.setRowRule(&evenDescending);
        QCOMPARE(tree.currentRow(), tree.findItemData(4));
        QCOMPARE(tree.currentColumn(), 2);
        QCOMPARE(tree.selectedRow(), tree.findItemData(4));
        // A row that goes out of view takes the selection with it.
        tree.setRowRule([](const win32::SftTreeSource &model) {
            std::vector<int> rows;
            for (int row = 0; row < model.rowCount(); ++row) {
                if (model.itemData(row) % 2 == 1)
                    rows.push_back(row);
            }
            return rows;
        });
        QCOMPARE(tree.selectedRow(), -1);
        QVERIFY(tree.currentRow() >= 0);  // the keyboard's cell stays in the grid
    }

    void changesOfTheModelReachTheView()
    {
        SftTree tree;
        QAbstractItemModelTester tester(tree.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        fill(tree, {1, 2, 3, 4});
        tree.setRowRule(&evenDescending);
        // A text changed in a shown row is reported for its position; a hidden one is not.
        QSignalSpy changed(tree.model(), &QAbstractItemModel::dataChanged);
        tree.setCellText(tree.findItemData(2), 1, QStringLiteral("two"));
        tree.setCellText(tree.findItemData(3), 1, QStringLiteral("three"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().toModelIndex().row(), 1);
        QCOMPARE(tree.model()->index(1, 1).data().toString(), QStringLiteral("two"));
        // A new row is shown at the end, whatever the rule, until it runs again.
        const int added = tree.addItem(QStringLiteral("7"));
        tree.setItemData(added, 7);
        QCOMPARE(shownIds(tree), (QList<int>{4, 2, 7}));
        tree.reapplyRowRule();
        QCOMPARE(shownIds(tree), (QList<int>{4, 2}));
        // Removing rows, shown or not, keeps the rest in place.
        QVERIFY(tree.removeItem(tree.findItemData(1)));
        QCOMPARE(shownIds(tree), (QList<int>{4, 2}));
        QVERIFY(tree.removeItem(tree.findItemData(4)));
        QCOMPARE(shownIds(tree), QList<int>{2});
        QCOMPARE(tree.model()->index(0, 1).data().toString(), QStringLiteral("two"));
        // A refill runs the rule again.
        tree.setRedraw(false);
        tree.clear();
        fill(tree, {10, 11, 12});
        tree.setRedraw(true);
        QCOMPARE(shownIds(tree), (QList<int>{12, 10}));
        // So does a reorder of the model.
        tree.setRowRule({});
        tree.setRedraw(true);
        const int first = tree.addItem(QStringLiteral("0"));
        tree.setItemData(first, 0);
        tree.setCurrentCell(tree.findItemData(11), 1);
        tree.sortById();
        QCOMPARE(shownIds(tree), (QList<int>{0, 10, 11, 12}));
        QCOMPARE(tree.currentRow(), tree.findItemData(11));
    }

    void editorWorksOnShownRowsOnly()
    {
        SftTree tree;
        fill(tree, {1, 2, 3, 4});
        tree.resize(400, 300);
        tree.setRowRule(&evenDescending);
        QVERIFY(!tree.beginEdit(tree.findItemData(3), 1));
        QVERIFY(tree.beginEdit(tree.findItemData(2), 1));
        tree.cellEditor()->setText(QStringLiteral("edited"));
        // A new rule ends the edit with acceptance first.
        tree.setRowRule({});
        QVERIFY(!tree.isEditing());
        QCOMPARE(tree.cellText(tree.findItemData(2), 1), QStringLiteral("edited"));
    }

    void headerClickAndSortIndicator()
    {
        SftTree tree;
        fill(tree, {1, 2});
        tree.resize(600, 300);
        tree.show();
        QVERIFY(testlib::waitForExposed(&tree));
        QSignalSpy clicks(&tree, &SftTree::HeaderClick);
        QHeaderView *header = tree.header();
        const QPoint middle(header->sectionViewportPosition(1) + header->sectionSize(1) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.first().first().toInt(), 1);
        QTest::mouseClick(header->viewport(), Qt::RightButton, {}, middle);
        QCOMPARE(clicks.size(), 1);
        tree.setSortIndicator(2, true);
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 2);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    }
};

QTEST_MAIN(SftTreeRowViewTest)
#include "sfttree_rowview_test.moc"
