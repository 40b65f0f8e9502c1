#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "platform/win32/SftTreeHeader.h"

#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QToolTip>
#include <QSignalSpy>
#include <QtTest>

using win32::SftTree;
using win32::SftTreeCellEditor;
using win32::SftTreeModel;
using win32::SftTreeHeader;

class SftTreeTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment m_env;

    // Three columns, rows with IDs in the order given, texts "<id>/<column>".
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

    static QPoint cellCentre(SftTree &tree, int row, int column)
    {
        return tree.visualRect(tree.viewIndex(row, column)).center();
    }

    // Shows the grid in a window of its own with the keyboard focus in it.
    static bool showFocused(SftTree &tree)
    {
        tree.show();
        if (!testlib::waitForActive(&tree))
            return false;
        tree.setFocus();
        return tree.hasFocus();
    }

    static QPoint currentCell(const SftTree &tree) { return QPoint(tree.currentRow(), tree.currentColumn()); }

    // Opens a cell when it is clicked, as the editor does.
    static void openCellsOnClick(SftTree &tree)
    {
        connect(&tree, &SftTree::ItemClick, &tree, [&tree](int row, int column, int, int button, int) {
            if (button == SftTree::LeftButton)
                tree.beginEdit(row, column);
        });
    }

private slots:
    void modelPassesTheModelTester()
    {
        SftTreeModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns(3);
        for (int id : {7, 3, 5}) {
            const int row = model.addRow(QString::number(id));
            model.setItemData(row, id);
            model.setCellText(row, 1, QStringLiteral("text"));
            model.setCellFont(row, 1, QStringLiteral("Tahoma"));
        }
        model.sortById();
        model.removeRow(1);
        model.setColumns(5);
        model.setColumns(2);
        model.beginBulkUpdate();
        for (int id = 0; id < 100; ++id)
            model.setItemData(model.addRow(QString::number(id)), id);
        model.sortById();
        model.endBulkUpdate();
        model.clearRows();
        QCOMPARE(model.rowCount(), 0);
    }

    void findsRowsByItemData()
    {
        SftTreeModel model;
        model.setColumns(2);
        for (int id : {40, 10, 30, 10})
            model.setItemData(model.addRow(QString::number(id)), id);
        QCOMPARE(model.findItemData(10), 1);  // the first of two
        QCOMPARE(model.findItemData(99), -1);
        model.sortById();
        QCOMPARE(model.findItemData(10), 0);
        QCOMPARE(model.findItemData(40), 3);
        model.removeRow(0);
        QCOMPARE(model.findItemData(10), 0);
        QCOMPARE(model.findItemData(30), 1);
        model.setItemData(1, 77);
        QCOMPARE(model.findItemData(30), -1);
        QCOMPARE(model.findItemData(77), 1);
        model.clearRows();
        QCOMPARE(model.findItemData(10), -1);
    }

    void sortsNumericallyWithUnnumberedRowsFirst()
    {
        SftTreeModel model;
        model.setColumns(2);
        for (int id : {10, 9, -1, 100}) {
            const int row = model.addRow(QString::number(id));
            model.setItemData(row, id);
            model.setCellText(row, 1, QStringLiteral("t%1").arg(id));
            model.setCellFont(row, 1, QStringLiteral("F%1").arg(id));
        }
        model.addRow(QStringLiteral("No item data"));
        model.sortById();
        QStringList order;
        for (int row = 0; row < model.rowCount(); ++row)
            order << model.cellText(row, 0);
        QCOMPARE(order, (QStringList{"No item data", "-1", "9", "10", "100"}));
        // Cells and fonts travel with their rows.
        QCOMPARE(model.cellText(3, 1), QStringLiteral("t10"));
        QCOMPARE(model.cellFont(3, 1), QStringLiteral("F10"));
    }

    void columnCountChangeKeepsRemainingCells()
    {
        SftTreeModel model;
        model.setColumns(3);
        const int row = model.addRow(QStringLiteral("1"));
        model.setCellText(row, 2, QStringLiteral("kept"));
        model.setCellFont(row, 2, QStringLiteral("David"));
        model.setColumns(4);
        QCOMPARE(model.cellText(row, 2), QStringLiteral("kept"));
        QCOMPARE(model.cellFont(row, 2), QStringLiteral("David"));
        QCOMPARE(model.cellText(row, 3), QString());
        model.setColumns(2);
        QCOMPARE(model.cellText(row, 2), QString());
        QCOMPARE(model.cellText(row, 0), QStringLiteral("1"));
        // Out of range addresses are ignored, never a crash.
        model.setCellText(5, 0, QStringLiteral("x"));
        model.setCellText(0, -1, QStringLiteral("x"));
        QCOMPARE(model.cellText(5, 0), QString());
    }

    void fontRoleGivesEachCellItsFont()
    {
        SftTreeModel model;
        model.setColumns(3);
        const int row = model.addRow(QStringLiteral("1"));
        model.setCellFont(row, 1, QStringLiteral("MS GOTHIC"));
        model.setCellFont(row, 2, QStringLiteral("Traditional Arabic"));
        const auto fontAt = [&](int column) { return model.data(model.index(row, column), Qt::FontRole); };
        QVERIFY(!fontAt(0).isValid());
        QCOMPARE(fontAt(1).value<QFont>().families().value(0), QStringLiteral("MS GOTHIC"));
        QCOMPARE(fontAt(2).value<QFont>().families().value(0), QStringLiteral("Traditional Arabic"));
    }

    // A caption too wide for its section is drawn shortened with "…", whole where it fits.
    void aNarrowColumnsCaptionEndsInAnEllipsis()
    {
        struct Header : SftTreeHeader {
            using SftTreeHeader::SftTreeHeader;
            QString shownCaption(int section) const
            {
                QStyleOptionHeader option;
                initStyleOption(&option);
                initStyleOptionForIndex(&option, section);
                return option.text;
            }
        };
        SftTreeModel model;
        model.setColumns(3);
        model.setColumnCaption(1, QStringLiteral("Chinese (Simplified, China)"));
        model.setColumnCaption(2, QStringLiteral("English (United Kingdom)"));
        Header header(Qt::Horizontal);
        header.setModel(&model);
        header.resize(900, 30);
        header.resizeSection(1, 80);
        header.resizeSection(2, 400);
        const QString narrow = header.shownCaption(1);
        QVERIFY2(narrow.endsWith(QChar(0x2026)) && narrow.startsWith(QStringLiteral("Ch")), qPrintable(narrow));
        QVERIFY(header.fontMetrics().horizontalAdvance(narrow) <= 80);
        QCOMPARE(header.shownCaption(2), QStringLiteral("English (United Kingdom)"));
        // What screen readers hear stays whole.
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Chinese (Simplified, China)"));
    }

    // A column's font reaches every cell without one of its own, old rows and
    // new ones; a change of it is one notice for the whole column.
    void aColumnFontServesCellsWithoutTheirOwn()
    {
        SftTreeModel model;
        model.setColumns(3);
        const int first = model.addRow(QStringLiteral("1"));
        model.setColumnFont(1, QStringLiteral("MS GOTHIC"));
        const int second = model.addRow(QStringLiteral("2"));
        model.setCellFont(second, 2, QStringLiteral("David"));
        const auto fontAt = [&](int row, int column) {
            return model.data(model.index(row, column), Qt::FontRole).value<QFont>().families().value(0);
        };
        QCOMPARE(model.cellFont(first, 1), QStringLiteral("MS GOTHIC"));
        QCOMPARE(model.cellFont(second, 1), QStringLiteral("MS GOTHIC"));
        QCOMPARE(fontAt(second, 1), QStringLiteral("MS GOTHIC"));
        QCOMPARE(model.cellFont(first, 2), QString());
        QVERIFY(!model.data(model.index(first, 2), Qt::FontRole).isValid());

        model.setColumnFont(2, QStringLiteral("Tahoma"));
        QCOMPARE(model.cellFont(first, 2), QStringLiteral("Tahoma"));
        QCOMPARE(model.cellFont(second, 2), QStringLiteral("David"));  // its own font wins

        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        model.setColumnFont(1, QStringLiteral("Arial"));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0][0].toModelIndex(), model.index(0, 1));
        QCOMPARE(changes[0][1].toModelIndex(), model.index(1, 1));
        QCOMPARE(fontAt(first, 1), QStringLiteral("Arial"));
        model.setColumnFont(1, QStringLiteral("Arial"));
        QCOMPARE(changes.size(), 1);  // no change, no notice
        model.setColumnFont(7, QStringLiteral("Arial"));  // out of range: ignored

        // Columns that stay keep their font when the count changes.
        model.setColumns(4);
        QCOMPARE(model.cellFont(first, 1), QStringLiteral("Arial"));
        QCOMPARE(model.cellFont(first, 3), QString());
    }

    void rightToLeftTextsAlignRight()
    {
        SftTreeModel model;
        model.setColumns(3);
        const int row = model.addRow(QStringLiteral("1"));
        model.setCellText(row, 1, QStringLiteral("ملف"));  // Arabic
        model.setCellText(row, 2, QStringLiteral("File"));
        const auto alignmentAt = [&](int column) { return model.data(model.index(row, column), Qt::TextAlignmentRole); };
        QCOMPARE(alignmentAt(1).value<Qt::Alignment>(), Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        QVERIFY(!alignmentAt(2).isValid());
    }

    void columnSettingsSurviveARefill()
    {
        SftTree tree;
        tree.setColumnCount(2);
        tree.setColumnWidthTwips(1, 3500);
        tree.setColumnMinWidthTwips(1, 500);
        QCOMPARE(tree.header()->sectionSize(1), 233);
        tree.setRedraw(false);
        tree.clear();
        for (int id = 0; id < 10; ++id)
            tree.addItem(QString::number(id));
        tree.sortById();
        tree.recalcLayout();
        tree.setRedraw(true);
        QCOMPARE(tree.header()->sectionSize(1), 233);
        tree.header()->resizeSection(1, 5);
        QCOMPARE(tree.header()->sectionSize(1), 33);  // never below the minimum
        tree.header()->resizeSection(1, 100);
        tree.setRedraw(false);
        tree.setRedraw(true);
        QCOMPARE(tree.header()->sectionSize(1), 100);  // the user's width stays
    }

    void clicksReportCellButtonAndArea_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("code");
        QTest::newRow("left") << Qt::LeftButton << 1;
        QTest::newRow("right") << Qt::RightButton << 2;
    }
    void clicksReportCellButtonAndArea()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, code);
        SftTree tree;
        tree.resize(600, 300);
        fill(tree, {1, 2, 3});
        tree.show();
        QVERIFY(testlib::waitForExposed(&tree));
        tree.selectRow(0);
        QSignalSpy clicks(&tree, &SftTree::ItemClick);
        QTest::mouseClick(tree.viewport(), button, Qt::ShiftModifier, cellCentre(tree, 2, 1));
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks[0][0].toInt(), 2);
        QCOMPARE(clicks[0][1].toInt(), 1);
        QVERIFY(clicks[0][2].toInt() == SftTree::AreaCellText || clicks[0][2].toInt() == SftTree::AreaCell);
        QCOMPARE(clicks[0][3].toInt(), code);
        QCOMPARE(clicks[0][4].toInt(), int(SftTree::ShiftMask));
        // Only the left button moves the selection.
        QCOMPARE(tree.selectedRow(), code == 1 ? 2 : 0);

        const QRect header = tree.header()->geometry();
        const int x = tree.header()->sectionViewportPosition(2) + tree.header()->sectionSize(2) / 2;
        QTest::mouseClick(tree.header()->viewport(), button, {}, QPoint(x, header.height() / 2));
        QCOMPARE(clicks.size(), 2);
        QCOMPARE(clicks[1][0].toInt(), -1);
        QCOMPARE(clicks[1][1].toInt(), 2);
        QCOMPARE(clicks[1][2].toInt(), int(SftTree::AreaColumnHeader));
        QCOMPARE(clicks[1][3].toInt(), code);
    }

    void editorStartsOnlyOnEditableCells()
    {
        SftTree tree;
        fill(tree, {1});
        QVERIFY(!tree.beginEdit(0, 0));
        QVERIFY(!tree.beginEdit(1, 1));
        QVERIFY(!tree.endEdit(true));
        tree.setEditFont(QStringLiteral("David"));
        QVERIFY(tree.beginEdit(0, 2));
        QVERIFY(tree.isEditing());
        QCOMPARE(tree.cellEditor()->font().families().value(0), QStringLiteral("David"));
        QCOMPARE(tree.cellEditor()->text(), QStringLiteral("1/2"));
    }

    void acceptedEditRaisesAfterEditBeforeTheCellChanges()
    {
        SftTree tree;
        fill(tree, {1});
        QString seenCellText;
        QString seenNewText;
        connect(&tree, &SftTree::AfterEdit, &tree, [&](QString &text, int row, int column) {
            seenCellText = tree.cellText(row, column);
            seenNewText = text;
            text += QStringLiteral("!");
        });
        QVERIFY(tree.beginEdit(0, 1));
        tree.cellEditor()->setText(QStringLiteral("new"));
        QVERIFY(tree.endEdit(true));
        QCOMPARE(seenCellText, QStringLiteral("1/1"));
        QCOMPARE(seenNewText, QStringLiteral("new"));
        QCOMPARE(tree.cellText(0, 1), QStringLiteral("new!"));
        QVERIFY(!tree.isEditing());
    }

    void keysReachTheHandlerAndCanBeSwallowed()
    {
        SftTree tree;
        fill(tree, {1, 2});
        tree.show();
        QVERIFY(testlib::waitForExposed(&tree));
        QList<QList<int>> keys;
        connect(&tree, &SftTree::CEKeyDown, &tree,
                [&](int &key, int shift, int row, int column, const QString &) {
                    keys.append({key, shift, row, column});
                    if (key == 'X' || key == SftTree::KeyUp)
                        key = 0;
                });
        int edits = 0;
        connect(&tree, &SftTree::AfterEdit, &tree, [&](QString &, int, int) { ++edits; });
        QVERIFY(tree.beginEdit(1, 2));
        tree.cellEditor()->clear();
        QTest::keyClicks(tree.cellEditor(), QStringLiteral("aXb"));
        QCOMPARE(tree.cellEditor()->text(), QStringLiteral("ab"));
        QTest::keyClick(tree.cellEditor(), Qt::Key_Backtab, Qt::ShiftModifier);
        QTest::keyClick(tree.cellEditor(), Qt::Key_Up);
        QVERIFY(tree.isEditing());  // unhandled Tab never moves the focus away
        QVERIFY(keys.contains(QList<int>{SftTree::KeyTab, SftTree::ShiftMask, 1, 2}));
        QCOMPARE(keys.last().value(0), int(SftTree::KeyUp));
        // Enter and Escape that nobody swallows end the edit themselves.
        QTest::keyClick(tree.cellEditor(), Qt::Key_Return);
        QCOMPARE(edits, 1);
        QCOMPARE(tree.cellText(1, 2), QStringLiteral("ab"));
        QVERIFY(tree.beginEdit(0, 1));
        QTest::keyClicks(tree.cellEditor(), QStringLiteral("zz"));
        QTest::keyClick(tree.cellEditor(), Qt::Key_Escape);
        QVERIFY(!tree.isEditing());
        QCOMPARE(edits, 1);
        QCOMPARE(tree.cellText(0, 1), QStringLiteral("1/1"));
    }

    // F2 opens the current cell even where the window has its own F2 shortcut;
    // with no cell to open, the shortcut still works.
    void f2OpensTheCellBeforeTheWindowsShortcut()
    {
        QWidget window;
        int shortcuts = 0;
        QAction rename(&window);
        rename.setShortcut(Qt::Key_F2);
        connect(&rename, &QAction::triggered, &window, [&] { ++shortcuts; });
        window.addAction(&rename);
        auto *tree = new SftTree(&window);
        QList<int> clickedColumns;
        connect(tree, &SftTree::ItemClick, tree, [&](int, int column, int, int, int) { clickedColumns.append(column); });
        window.show();
        QVERIFY(testlib::waitForActive(&window));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_F2);
        QCOMPARE(shortcuts, 1);
        fill(*tree, {1, 2});
        tree->setCurrentIndex(tree->viewIndex(1, 2));
        QTest::keyClick(tree, Qt::Key_F2);
        QCOMPARE(shortcuts, 1);
        QCOMPARE(clickedColumns, QList<int>{2});
    }

    // Cells as (row, column); the first editable column is where the keyboard starts.
    void arrowsHomeEndAndPagesMoveBetweenCells()
    {
        SftTree tree;
        tree.resize(300, 200);
        QList<int> ids;
        for (int id = 1; id <= 50; ++id)
            ids.append(id);
        fill(tree, ids);
        QVERIFY(showFocused(tree));
        QCOMPARE(currentCell(tree), QPoint(0, 1));
        QCOMPARE(tree.selectedRow(), -1);
        const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(&tree, key, modifiers);
            return currentCell(tree);
        };
        QCOMPARE(press(Qt::Key_Right), QPoint(0, 2));
        QCOMPARE(press(Qt::Key_Right), QPoint(0, 2));  // no wrap-around
        QCOMPARE(press(Qt::Key_Left), QPoint(0, 1));
        QCOMPARE(press(Qt::Key_Left), QPoint(0, 0));
        QCOMPARE(press(Qt::Key_Left), QPoint(0, 0));
        QCOMPARE(press(Qt::Key_Up), QPoint(0, 0));
        QCOMPARE(press(Qt::Key_Down), QPoint(1, 0));
        QCOMPARE(tree.selectedRow(), 1);  // a move selects the cell's row
        QCOMPARE(press(Qt::Key_End), QPoint(1, 2));
        QCOMPARE(press(Qt::Key_Home), QPoint(1, 0));
        QCOMPARE(press(Qt::Key_End, Qt::ControlModifier), QPoint(49, 2));
        QCOMPARE(tree.selectedRow(), 49);
        QCOMPARE(press(Qt::Key_Down), QPoint(49, 2));
        const QPoint pagedUp = press(Qt::Key_PageUp);
        QVERIFY2(pagedUp.x() > 0 && pagedUp.x() < 48, qPrintable(QString::number(pagedUp.x())));
        QCOMPARE(pagedUp.y(), 2);
        QCOMPARE(press(Qt::Key_Home, Qt::ControlModifier), QPoint(0, 0));
        QCOMPARE(tree.selectedRow(), 0);  // Ctrl on a selected row does not deselect it
        const QPoint pagedDown = press(Qt::Key_PageDown);
        QVERIFY(pagedDown.x() > 1);
        QCOMPARE(pagedDown.y(), 0);
        QVERIFY(!tree.isEditing());
    }

    void typingOnACellOpensItWithTheCharacter()
    {
        SftTree tree;
        fill(tree, {1, 2});
        openCellsOnClick(tree);
        QVERIFY(showFocused(tree));
        QTest::keyClick(&tree, Qt::Key_Down);
        QTest::keyClick(&tree, 'x');
        QVERIFY(tree.isEditing());
        QCOMPARE(tree.editRow(), 1);
        QCOMPARE(tree.editColumn(), 1);
        QCOMPARE(tree.cellEditor()->text(), QStringLiteral("x"));  // the old text is replaced
        QCOMPARE(QApplication::focusWidget(), tree.cellEditor());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("yz"));
        QCOMPARE(tree.cellEditor()->text(), QStringLiteral("xyz"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!tree.isEditing());
        QCOMPARE(tree.cellText(1, 1), QStringLiteral("2/1"));
        QVERIFY(tree.hasFocus());
        // Keys with Ctrl are commands, and the ID column is not typed into.
        QTest::keyClick(&tree, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(!tree.isEditing());
        QTest::keyClick(&tree, Qt::Key_Home);
        QTest::keyClick(&tree, 'a');
        QVERIFY(!tree.isEditing());
        // A character beyond the basic plane opens the cell too.
        QTest::keyClick(&tree, Qt::Key_End);
        QKeyEvent smile(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(U"\U0001F600"));
        QApplication::sendEvent(&tree, &smile);
        QVERIFY(tree.isEditing());
        QCOMPARE(tree.cellEditor()->text(), QString::fromUcs4(U"\U0001F600"));
        tree.endEdit(false);
    }

    void enterAndF2OpenTheCurrentCell_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("F2") << int(Qt::Key_F2);
    }
    void enterAndF2OpenTheCurrentCell()
    {
        QFETCH(int, key);
        SftTree tree;
        fill(tree, {1, 2});
        openCellsOnClick(tree);
        QVERIFY(showFocused(tree));
        QTest::keyClick(&tree, Qt::Key_Right);
        QTest::keyClick(&tree, Qt::Key(key));
        QVERIFY(tree.isEditing());
        QCOMPARE(tree.editRow(), 0);
        QCOMPARE(tree.editColumn(), 2);
        QCOMPARE(tree.cellEditor()->text(), QStringLiteral("1/2"));
    }

    void menuKeysAskForTheCurrentCellsMenu_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
        QTest::newRow("Menu") << int(Qt::Key_Menu) << int(Qt::NoModifier);
    }
    void menuKeysAskForTheCurrentCellsMenu()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        SftTree tree;
        tree.resize(500, 300);
        fill(tree, {1, 2, 3});
        QVERIFY(showFocused(tree));
        QTest::keyClick(&tree, Qt::Key_Down);
        QTest::keyClick(&tree, Qt::Key_Right);
        QSignalSpy clicks(&tree, &SftTree::ItemClick);
        QTest::keyClick(&tree, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks[0][0].toInt(), 1);
        QCOMPARE(clicks[0][1].toInt(), 2);
        QCOMPARE(clicks[0][2].toInt(), int(SftTree::AreaCellText));
        QCOMPARE(clicks[0][3].toInt(), int(SftTree::RightButton));
        // The menu opens at the cell, not wherever the mouse happens to be.
        const QRect cell = tree.visualRect(tree.viewIndex(1, 2));
        QVERIFY(cell.contains(tree.viewport()->mapFromGlobal(tree.lastClickPosition())));
        // The platform's context-menu event for the Menu key does not ask a second time;
        // one of its own (Shift+F10 on some platforms) does.
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint());
        QApplication::sendEvent(&tree, &request);
        QCOMPARE(clicks.size(), key == Qt::Key_Menu ? 1 : 2);
        QTest::keyClick(&tree, Qt::Key_F10);  // F10 alone is no menu key
        QCOMPARE(clicks.size(), key == Qt::Key_Menu ? 1 : 2);
    }

    void menuKeyWithoutRowsAsksForTheHeadersMenu()
    {
        SftTree tree;
        tree.setColumnCount(3);
        tree.setColumnEditable(1, true);
        tree.setColumnEditable(2, true);
        QVERIFY(showFocused(tree));
        QSignalSpy clicks(&tree, &SftTree::ItemClick);
        QTest::keyClick(&tree, Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks[0][0].toInt(), -1);
        QCOMPARE(clicks[0][1].toInt(), 1);
        QCOMPARE(clicks[0][2].toInt(), int(SftTree::AreaColumnHeader));
    }

    void refillPutsTheCurrentCellOnTheFirstEditableColumn()
    {
        SftTree tree;
        fill(tree, {1, 2});
        tree.setCurrentCell(1, 2);
        QCOMPARE(currentCell(tree), QPoint(1, 2));
        tree.setRedraw(false);
        tree.clear();
        tree.setColumnEditable(1, false);
        tree.setItemData(tree.addItem(QStringLiteral("5")), 5);
        tree.setRedraw(true);
        QCOMPARE(currentCell(tree), QPoint(0, 2));
        tree.setCurrentCell(7, 1);  // no such row: nothing changes
        QCOMPARE(currentCell(tree), QPoint(0, 2));
    }

    void shiftOrCtrlEnterBreaksTheLineAndEnterEnds()
    {
        SftTree tree;
        fill(tree, {1});
        tree.setCellText(0, 1, QStringLiteral("a\r\nb"));
        QVERIFY(showFocused(tree));
        QVERIFY(tree.beginEdit(0, 1));
        SftTreeCellEditor *editor = tree.cellEditor();
        QCOMPARE(editor->document()->blockCount(), 2);
        QCOMPARE(editor->text(), QStringLiteral("a\r\nb"));
        editor->moveCursor(QTextCursor::End);
        QTest::keyClick(editor, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(editor, 'c');
        QTest::keyClick(editor, Qt::Key_Enter, Qt::ControlModifier);
        QTest::keyClick(editor, 'd');
        QVERIFY(tree.isEditing());
        QCOMPARE(editor->text(), QStringLiteral("a\r\nb\r\nc\r\nd"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!tree.isEditing());
        QCOMPARE(tree.cellText(0, 1), QStringLiteral("a\r\nb\r\nc\r\nd"));
    }

    // Each row: the text as set, what is typed at its end, and the text given back.
    void lineBreaksComeBackInTheTextsOwnStyle_data()
    {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("CR LF") << "a\r\nb" << "\nc" << "a\r\nb\r\nc";
        QTest::newRow("LF") << "a\nb" << "\nc" << "a\nb\nc";
        QTest::newRow("CR") << "a\rb" << "\nc" << "a\rb\rc";
        QTest::newRow("none yet: CR LF") << "ab" << "\nc" << "ab\r\nc";
        QTest::newRow("mixed, untouched") << "a\r\nb\nc\rd" << "" << "a\r\nb\nc\rd";
        QTest::newRow("mixed, edited") << "a\r\nb\nc" << "!" << "a\r\nb\r\nc!";
        QTest::newRow("no-break space and line separator") << QStringLiteral("a\u00A0b\u2028c") << "!"
                                                           << QStringLiteral("a\u00A0b\u2028c!");
        QTest::newRow("trailing break") << "a\r\n" << "" << "a\r\n";
        QTest::newRow("empty") << "" << "" << "";
    }
    void lineBreaksComeBackInTheTextsOwnStyle()
    {
        QFETCH(QString, original);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        SftTreeCellEditor editor;
        editor.setMaxLength(SftTree::kMaxCellTextLength);
        editor.setText(original);
        editor.moveCursor(QTextCursor::End);
        for (QChar c : typed) {
            if (c == QLatin1Char('\n'))
                editor.insertLineBreak();
            else
                QTest::keyClick(&editor, c.toLatin1());
        }
        QCOMPARE(editor.text(), result);
    }

    // The limit holds for the text as given back, where a break may be two units.
    void maxLengthCountsBreaksAsGivenBackAndKeepsPairsWhole()
    {
        SftTreeCellEditor editor;
        editor.setMaxLength(10);
        editor.setText(QStringLiteral("abcd\r\nefg"));  // 9 units
        editor.moveCursor(QTextCursor::End);
        editor.insertLineBreak();  // 11: taken back
        QCOMPARE(editor.text(), QStringLiteral("abcd\r\nefg"));
        QTest::keyClick(&editor, 'h');
        QCOMPARE(editor.text(), QStringLiteral("abcd\r\nefgh"));
        QTest::keyClick(&editor, 'i');
        QCOMPARE(editor.text(), QStringLiteral("abcd\r\nefgh"));
        editor.setText(QStringLiteral("abcdefghi"));
        editor.moveCursor(QTextCursor::End);
        editor.insertPlainText(QString::fromUcs4(U"\U0001F600"));  // two units, one left: none of it stays
        QCOMPARE(editor.text(), QStringLiteral("abcdefghi"));
        editor.selectAll();
        editor.insertPlainText(QStringLiteral("x\ny\nz\n0123456789"));  // a paste is cut to fit
        QCOMPARE(editor.text(), QStringLiteral("x\r\ny\r\nz\r\n0"));
    }

    void editorGrowsToShowTheWholeTextWithinTheView()
    {
        SftTree tree;
        tree.resize(400, 300);
        QList<int> ids;
        for (int id = 1; id <= 30; ++id)
            ids.append(id);
        fill(tree, ids);
        const QString fiveLines = QStringLiteral("1\r\n2\r\n3\r\n4\r\n5");
        tree.setCellText(0, 1, fiveLines);
        QVERIFY(showFocused(tree));
        QVERIFY(tree.beginEdit(0, 1));
        const QRect cell = tree.visualRect(tree.viewIndex(0, 1));
        const int lineHeight = QFontMetrics(tree.cellEditor()->font()).lineSpacing();
        QVERIFY(tree.cellEditor()->height() >= 5 * lineHeight);
        QCOMPARE(tree.cellEditor()->geometry().top(), cell.top());
        QCOMPARE(tree.cellEditor()->width(), cell.width());
        // Typing another line makes it taller still.
        const int before = tree.cellEditor()->height();
        tree.cellEditor()->moveCursor(QTextCursor::End);
        QTest::keyClick(tree.cellEditor(), Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(tree.cellEditor()->height() > before);
        tree.endEdit(false);
        // Near the foot of the view it moves up rather than run off it.
        tree.scrollToTop();
        int last = 0;
        while (last + 1 < tree.itemCount() && tree.visualRect(tree.viewIndex(last + 1, 1)).bottom() < tree.viewport()->height())
            ++last;
        tree.setCellText(last, 1, fiveLines);
        QVERIFY(tree.beginEdit(last, 1));
        QVERIFY(tree.cellEditor()->geometry().bottom() < tree.viewport()->height());
        QVERIFY(tree.cellEditor()->height() >= 5 * lineHeight);
    }

    void aTextOfSeveralLinesShowsOnOneLineWithItsWholeTextInTheTip()
    {
        SftTree tree;
        tree.resize(500, 200);
        fill(tree, {1});
        tree.setCellText(0, 1, QStringLiteral("one\r\ntwo\nthree <b>"));
        const QModelIndex cell = tree.viewIndex(0, 1);
        auto *delegate = qobject_cast<QStyledItemDelegate *>(tree.itemDelegate());
        QVERIFY(delegate);
        QCOMPARE(delegate->displayText(cell.data(), QLocale()), QStringLiteral("one\u21B5two\u21B5three <b>"));
        QCOMPARE(cell.data(Qt::ToolTipRole).toString(), QStringLiteral("one\ntwo\nthree <b>"));
        QVERIFY(!tree.viewIndex(0, 2).data(Qt::ToolTipRole).isValid());  // one line: no tip
        QCOMPARE(tree.cellText(0, 1), QStringLiteral("one\r\ntwo\nthree <b>"));  // the text itself is untouched
        QVERIFY(showFocused(tree));
        const QPoint at = tree.visualRect(cell).center();
        QHelpEvent help(QEvent::ToolTip, at, tree.viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree.viewport(), &help);
        QM_TRY_VERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().contains(QStringLiteral("one<br>two<br>three &lt;b&gt;")));
        QToolTip::hideText();
    }

    void theIdColumnStaysInViewWhenScrolledSideways()
    {
        SftTree tree;
        tree.resize(300, 200);
        fill(tree, {1, 2, 3});
        tree.setColumnWidthTwips(0, 900);  // 60 pixels
        tree.setColumnWidthTwips(1, 3000);
        tree.setColumnWidthTwips(2, 3000);
        QVERIFY(showFocused(tree));
        tree.horizontalScrollBar()->setValue(tree.horizontalScrollBar()->maximum());
        QVERIFY(tree.horizontalScrollBar()->value() > 60);
        const QRect id = tree.visualRect(tree.viewIndex(1, 0));
        QCOMPARE(id.left(), 0);
        QCOMPARE(id.width(), 60);
        QCOMPARE(tree.indexAt(QPoint(10, id.center().y())), tree.viewIndex(1, 0));
        QSignalSpy clicks(&tree, &SftTree::ItemClick);
        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, QPoint(10, id.center().y()));
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks[0][0].toInt(), 1);
        QCOMPARE(clicks[0][1].toInt(), 0);
        // The ID column is drawn there: its header and text cover what scrolled under it.
        const QImage shown = tree.grab().toImage();
        QVERIFY(!shown.isNull());
        // A cell half under it is brought out, not left covered.
        tree.setCurrentCell(1, 1);
        QVERIFY(tree.visualRect(tree.viewIndex(1, 1)).left() >= 60 || tree.horizontalScrollBar()->value() == 0);
        tree.setCurrentCell(1, 2);
        tree.horizontalScrollBar()->setValue(tree.horizontalScrollBar()->value() + 30);
        tree.scrollToColumn(2);
        QVERIFY(tree.visualRect(tree.viewIndex(1, 2)).left() >= 60);
    }

    // The visible part of a cut-off right-aligned text shows text, not blank space.
    void aCutOffRightToLeftTextShowsInItsVisiblePart()
    {
        SftTree tree;
        tree.resize(300, 120);
        tree.setColumnCount(2);
        tree.setColumnWidthTwips(0, 900);
        tree.setColumnWidthTwips(1, 9000);  // 600 pixels, far wider than the view
        const int row = tree.addItem(QStringLiteral("1"));
        tree.setCellText(row, 1, QStringLiteral("שלום עולם"));
        tree.show();
        QVERIFY(testlib::waitForExposed(&tree));
        const QRect cell = tree.visualRect(tree.viewIndex(row, 1));
        QVERIFY(cell.right() > tree.viewport()->width());
        const QImage shown = tree.viewport()->grab().toImage();
        const QColor base = tree.palette().color(QPalette::Base);
        int inked = 0;
        for (int x = cell.left() + 1; x < tree.viewport()->width(); ++x) {
            for (int y = cell.top() + 1; y < cell.bottom(); ++y) {
                const QColor pixel = shown.pixelColor(x * shown.width() / tree.viewport()->width(),
                                                      y * shown.height() / tree.viewport()->height());
                if (qAbs(pixel.lightness() - base.lightness()) > 80)
                    ++inked;
            }
        }
        QVERIFY2(inked > 10, qPrintable(QString::number(inked)));
    }

    // A status row's text runs across the row, past a narrow column 0 and
    // beyond the last column, and is clicked wherever it is drawn.
    void aSpanningRowShowsItsTextAcrossTheRow_data()
    {
        QTest::addColumn<int>("columns");
        QTest::newRow("the ID column alone") << 1;
        QTest::newRow("with language columns") << 3;
    }
    void aSpanningRowShowsItsTextAcrossTheRow()
    {
        QFETCH(int, columns);
        SftTree tree;
        tree.resize(500, 120);
        tree.setColumnCount(columns);
        for (int column = 0; column < columns; ++column)
            tree.setColumnWidthTwips(column, 900);  // 60 pixels each
        const int row = tree.addSpanningItem(QStringLiteral("The resource file could not be read."));
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        const QRect cell = tree.visualRect(tree.viewIndex(row, 0));
        QCOMPARE(cell.left(), 0);
        QCOMPARE(cell.width(), tree.viewport()->width());
        const int y = cell.center().y();
        QCOMPARE(tree.indexAt(QPoint(50, y)), tree.viewIndex(row, 0));
        QCOMPARE(tree.indexAt(QPoint(400, y)), tree.viewIndex(row, 0));
        // Ink right of the first column: the text goes on where a cell would cut it.
        const QImage shown = tree.viewport()->grab().toImage();
        const QColor base = tree.palette().color(QPalette::Base);
        int inked = 0;
        for (int x = 70; x < tree.viewport()->width(); ++x) {
            for (int line = cell.top() + 1; line < cell.bottom(); ++line) {
                const QColor pixel = shown.pixelColor(x * shown.width() / tree.viewport()->width(),
                                                      line * shown.height() / tree.viewport()->height());
                if (qAbs(pixel.lightness() - base.lightness()) > 80)
                    ++inked;
            }
        }
        QVERIFY2(inked > 20, qPrintable(QString::number(inked)));
        // An ordinary row added later is a row of cells again.
        const int plain = tree.addItem(QStringLiteral("7"));
        QCOMPARE(tree.visualRect(tree.viewIndex(plain, 0)).width(), 60);
        tree.clear();
        QCOMPARE(tree.visualRect(tree.viewIndex(tree.addItem(QStringLiteral("8")), 0)).width(), 60);
    }

    void columnsKeepTheirOrderWithColumn0First()
    {
        SftTree tree;
        fill(tree, {1, 2});
        QSignalSpy changes(&tree, &SftTree::ColumnLayoutChanged);
        tree.setColumnOrder({2, 7, 0, 2});  // unknown and repeated columns are left out
        QCOMPARE(tree.columnOrder(), (QList<int>{0, 2, 1}));
        QCOMPARE(changes.size(), 0);  // not the user's doing
        QCOMPARE(tree.columnBeside(2, 1), 1);
        QCOMPARE(tree.columnBeside(2, -1), 0);
        QCOMPARE(tree.columnBeside(1, 1), -1);
        tree.setRedraw(false);
        tree.clear();
        tree.addItem(QStringLiteral("5"));
        tree.setRedraw(true);
        QCOMPARE(tree.columnOrder(), (QList<int>{0, 2, 1}));
        tree.header()->moveSection(0, 2);  // column 0 goes back to the left edge
        QCOMPARE(tree.columnOrder().value(0), 0);
        QCOMPARE(changes.size(), 1);
        // Ctrl+Shift+Left/Right moves the current column; never before column 0.
        QVERIFY(showFocused(tree));
        tree.setColumnOrder({});
        tree.setCurrentCell(0, 2);
        QTest::keyClick(&tree, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tree.columnOrder(), (QList<int>{0, 2, 1}));
        QTest::keyClick(&tree, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tree.columnOrder(), (QList<int>{0, 2, 1}));
        QCOMPARE(tree.currentColumn(), 2);
        QVERIFY(changes.size() >= 2);
        // Another number of columns starts from the plain order.
        tree.setColumnCount(4);
        QCOMPARE(tree.columnOrder(), (QList<int>{0, 1, 2, 3}));
    }

    void structuralChangesCloseTheEditorWithoutAnEdit()
    {
        SftTree tree;
        fill(tree, {2, 1});
        int edits = 0;
        connect(&tree, &SftTree::AfterEdit, &tree, [&](QString &, int, int) { ++edits; });
        QVERIFY(tree.beginEdit(0, 1));
        tree.sortById();
        QVERIFY(!tree.isEditing());
        QVERIFY(tree.beginEdit(0, 1));
        tree.clear();
        QVERIFY(!tree.isEditing());
        QCOMPARE(edits, 0);
    }

    void startingAnotherEditAcceptsTheOpenOne()
    {
        SftTree tree;
        fill(tree, {1, 2});
        int edits = 0;
        connect(&tree, &SftTree::AfterEdit, &tree, [&](QString &, int, int) { ++edits; });
        QVERIFY(tree.beginEdit(0, 1));
        tree.cellEditor()->setText(QStringLiteral("typed"));
        QVERIFY(tree.beginEdit(1, 2));
        QCOMPARE(edits, 1);
        QCOMPARE(tree.cellText(0, 1), QStringLiteral("typed"));
        QCOMPARE(tree.editRow(), 1);
        QCOMPARE(tree.editColumn(), 2);
    }
};

QTEST_MAIN(SftTreeTest)
#include "sfttree_test.moc"
