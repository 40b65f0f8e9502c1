#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "languages/modUtilFonts.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "support/ErrorTrap.h"
#include "tests/editor/EditorFixture.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QToolBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

using namespace editortest;
using win32::SftTree;

// The string grid of the editor: the language table, rows and fonts, editing
// into the resource file, the cell editor's navigation and the column menu.
class EditorGridTest : public EditorFixture {
    Q_OBJECT
private:
    void click(int row, int column, int button = SftTree::LeftButton)
    {
        m_editor->SftTree_ItemClick(row, column, SftTree::AreaCellText, button, 0);
    }
    // Presses a key in the cell editor as the grid reports it.
    int press(int key, int shift = 0)
    {
        int code = key;
        m_editor->SftTree_CEKeyDown(code, shift, grid().editRow(), grid().editColumn(), grid().cellEditor()->text());
        return code;
    }

private slots:
    void init() { setUpEditor(); }
    void cleanup() { tearDownEditor(); }

    void twelveLanguagesGrowTheTable()
    {
        const QList<qint32> locales{2057, 1031, 1036, 1040, 1034, 1043, 1049, 1032, 1041, 2052, 1025, 1037};
        QList<Entry> entries;
        for (qint32 lcid : locales)
            entries.append({lcid, 1, QStringLiteral("text %1").arg(lcid)});
        show(entries);
        const QList<qint32> order = file().Languages();
        QCOMPARE(QSet<qint32>(order.begin(), order.end()), QSet<qint32>(locales.begin(), locales.end()));
        QCOMPARE(m_editor->LanguageCount(), 12);
        QCOMPARE(m_editor->LastLanguage(), 11);
        QCOMPARE(m_editor->LanguageTableUpperBound(), 22);
        QCOMPARE(grid().columnCount(), 13);
        QCOMPARE(grid().itemCount(), 1);
        for (int i = 0; i < 12; ++i) {
            const LanguageColumn &language = m_editor->Languages()[i];
            QCOMPARE(language.LocaleID, order[i]);
            QCOMPARE(language.Column, i + 1);
            QCOMPARE(language.LanguageName, modUtil::GetLocaleInfoString(order[i], 2));
            QCOMPARE(grid().columnCaption(i + 1), language.LanguageName);
            QCOMPARE(grid().cellText(0, i + 1), QStringLiteral("text %1").arg(order[i]));
            // Twelve columns share a narrow grid down to a readable width.
            QCOMPARE(grid().columnWidthTwips(i + 1), grid().columnWidthTwips(1));
            QVERIFY(grid().columnWidthTwips(i + 1) >= 1785);
            QCOMPARE(grid().columnMinWidthTwips(i + 1), 495);
            QVERIFY(grid().columnEditable(i + 1));
        }
        QVERIFY(!grid().columnEditable(0));
        QCOMPARE(grid().columnCaption(0), QStringLiteral("Resource ID"));
        QVERIFY(!grid().columnCaption(1).isEmpty());
    }

    void languageColumnsShareTheGridUpToTheUsualWidth()
    {
        QList<Entry> entries;
        for (qint32 lcid : {2057, 1031, 1036, 1040, 1034, 1043, 1049, 1032, 1041, 2052})
            entries.append({lcid, 1, QStringLiteral("text %1").arg(lcid)});
        writeRes(path("P.res"), entries);
        writeProject(m_dir->path(), "P", "P.res");
        writeRes(path("Two.res"), {{2057, 1, "one"}, {1031, 1, "eins"}});
        writeProject(m_dir->path(), "Two", "Two.res");
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("P.vbp")));
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("Two.vbp")));
        m_editor = std::make_unique<docResourceEditor>();
        m_editor->resize(1340, 900);
        m_editor->setVBE(m_vbe.get());
        m_editor->show();
        QVERIFY(testlib::waitForExposed(m_editor.get()));

        // Ten languages: eight of them fit beside the ID column.
        m_editor->cboProjects()->setCurrentIndex(0);
        m_editor->cboProjects_Click();
        QCOMPARE(m_editor->LanguageCount(), 10);
        int eight = grid().header()->sectionSize(0);
        for (int column = 1; column <= 8; ++column)
            eight += grid().header()->sectionSize(column);
        QVERIFY2(eight <= grid().viewport()->width(), qPrintable(QString::number(eight)));

        // Two languages keep the usual width of 3500 twips (in whole pixels).
        m_editor->cboProjects()->setCurrentIndex(1);
        m_editor->cboProjects_Click();
        QCOMPARE(m_editor->LanguageCount(), 2);
        QCOMPARE(grid().columnWidthTwips(1), 3495);
        QCOMPARE(grid().columnWidthTwips(2), 3495);
    }

    void eachLanguageHasItsFontInCellsAndEditor()
    {
        modUtil::StoreLanguageFont(1037, QStringLiteral("Tahoma"));
        show({{1041, 5, "日本語"}, {1031, 5, "Deutsch"}, {1037, 6, "עברית"}});
        const int japanese = columnOf(1041);
        const int german = columnOf(1031);
        const int hebrew = columnOf(1037);
        QCOMPARE(m_editor->Languages()[japanese - 1].DefaultFont, QStringLiteral("MS GOTHIC"));
        QCOMPARE(m_editor->Languages()[hebrew - 1].DefaultFont, QStringLiteral("David"));
        QCOMPARE(m_editor->Languages()[hebrew - 1].FontName, QStringLiteral("Tahoma"));
        for (int row = 0; row < grid().itemCount(); ++row) {
            QCOMPARE(grid().cellFont(row, japanese), QStringLiteral("MS GOTHIC"));
            QCOMPARE(grid().cellFont(row, german), QStringLiteral("MS Sans Serif"));
            QCOMPARE(grid().cellFont(row, hebrew), QStringLiteral("Tahoma"));
            const QFont shown = grid().model()->index(row, japanese).data(Qt::FontRole).value<QFont>();
            QCOMPARE(shown.families().value(0), QStringLiteral("MS GOTHIC"));
        }
        QCOMPARE(hebrew + 1, japanese);  // columns in locale order: 1031, 1037, 1041
        click(grid().findItemData(6), hebrew);
        QVERIFY(grid().isEditing());
        QCOMPARE(grid().cellEditor()->font().families().value(0), QStringLiteral("Tahoma"));
        QCOMPARE(press(SftTree::KeyTab), 0);
        QCOMPARE(grid().editColumn(), japanese);
        QCOMPARE(grid().cellEditor()->font().families().value(0), QStringLiteral("MS GOTHIC"));
    }

    void rowsAreSortedByIdWithEmptyCellsForMissingTexts()
    {
        show({{2057, 10, "ten"}, {2057, 9, "nine"}, {1031, 100, "hundert"}, {1036, 9, "neuf"}});
        QStringList ids;
        for (int row = 0; row < grid().itemCount(); ++row)
            ids << grid().cellText(row, 0);
        QCOMPARE(ids, (QStringList{"9", "10", "100"}));
        const int row = grid().findItemData(10);
        QCOMPARE(grid().cellText(row, columnOf(2057)), QStringLiteral("ten"));
        QCOMPARE(grid().cellText(row, columnOf(1031)), QString());
        QCOMPARE(grid().cellText(row, columnOf(1036)), QString());
        QVERIFY(grid().redraw());
    }

    void typingIntoAnEmptyCellCreatesTheEntry()
    {
        show({{2057, 3, "three"}, {1031, 4, "vier"}});
        click(grid().findItemData(3), columnOf(1031));
        grid().cellEditor()->setText(QStringLiteral("drei"));
        QCOMPARE(press(SftTree::KeyEnter), 0);
        QVERIFY(grid().isEditing());  // Enter stores and keeps editing the same cell
        QCOMPARE(grid().editRow(), grid().findItemData(3));
        const resutil::ResString *entry = file().Strings().Find(1031, 3);
        QVERIFY(entry);
        QCOMPARE(entry->Text(), QStringLiteral("drei"));
        QVERIFY(file().Changed());
        QCOMPARE(grid().cellText(grid().findItemData(3), columnOf(1031)), QStringLiteral("drei"));
        QVERIFY(file().Save(0).ok());
        QCOMPARE(textIn(readRes(path("P.res")), 1031, 3), QStringLiteral("drei"));
        QCOMPARE(file().Strings().Count(), 3);
    }

    void anEditThatChangesNothingLeavesTheFileAlone()
    {
        show({{2057, 3, "three"}, {1031, 4, "vier"}});
        click(0, columnOf(2057));
        QVERIFY(grid().endEdit(true));
        click(0, columnOf(1031));  // an empty cell left empty
        QCOMPARE(press(SftTree::KeyEnter), 0);
        QVERIFY(grid().endEdit(true));
        QVERIFY(!file().Changed());
        QVERIFY(!file().Strings().Find(1031, 3));
        // Case matters: a change of case is a change.
        click(0, columnOf(2057));
        grid().cellEditor()->setText(QStringLiteral("Three"));
        QVERIFY(grid().endEdit(true));
        QVERIFY(file().Changed());
        QCOMPARE(file().Strings().Find(2057, 3)->Text(), QStringLiteral("Three"));
    }

    void aLongTextSurvivesTheCellEditor()
    {
        const QString longest(SftTree::kMaxCellTextLength, QLatin1Char('x'));
        const QString forty = QString(39999, QChar(0x00e9)) + QLatin1Char('.');
        show({{2057, 1, forty}, {2057, 2, longest}});
        for (int row = 0; row < 2; ++row) {
            click(row, columnOf(2057));
            QCOMPARE(grid().cellEditor()->text().size(), grid().cellText(row, columnOf(2057)).size());
            QVERIFY(grid().endEdit(true));
        }
        QVERIFY(!file().Changed());
        QCOMPARE(file().Strings().Find(2057, 1)->Text(), forty);
        // Typing at the end of the longest text adds nothing beyond the format's limit.
        click(1, columnOf(2057));
        grid().cellEditor()->moveCursor(QTextCursor::End);
        QTest::keyClicks(grid().cellEditor(), QStringLiteral("yz"));
        QVERIFY(grid().endEdit(true));
        QCOMPARE(file().Strings().Find(2057, 2)->Text(), longest);
    }

    // Shift+Enter and Ctrl+Enter break lines; the file gets them as "\r\n", as it holds them.
    void aTextOfSeveralLinesIsTypedAndKeptAsTheFileHoldsIt()
    {
        show({{2057, 1, "Line one\r\nLine two"}, {2057, 2, "two"}});
        m_editor->show();
        QVERIFY(testlib::waitForActive(m_editor.get()));
        grid().setFocus();
        QTest::keyClick(&grid(), Qt::Key_F2);
        QVERIFY(grid().isEditing());
        QCOMPARE(grid().cellEditor()->document()->blockCount(), 2);
        QVERIFY(grid().cellEditor()->height() > grid().visualRect(grid().model()->index(0, 1)).height());
        QWidget *cell = QApplication::focusWidget();
        QCOMPARE(cell, grid().cellEditor());
        QTest::keyClick(cell, Qt::Key_Return);  // nothing changed: nothing stored
        QVERIFY(!file().Changed());
        QTest::keyClick(cell, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(cell, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(cell, QStringLiteral("Three"));
        QTest::keyClick(cell, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(cell, QStringLiteral("Four"));
        QVERIFY(grid().isEditing());
        QCOMPARE(grid().cellEditor()->document()->blockCount(), 4);
        QTest::keyClick(cell, Qt::Key_Return);
        const QString expected = QStringLiteral("Line one\r\nLine two\r\nThree\r\nFour");
        QCOMPARE(file().Strings().Find(2057, 1)->Text(), expected);
        QCOMPARE(grid().cellText(0, 1), expected);
        QTest::keyClick(cell, Qt::Key_Escape);
        // A new text with a break in it gets the file's own break.
        QTest::keyClick(&grid(), Qt::Key_Down);
        QTest::keyClick(&grid(), Qt::Key_F2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("lines"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);  // arrows still move between rows
        QVERIFY(file().Save(0).ok());
        QCOMPARE(textIn(readRes(path("P.res")), 2057, 1), expected);
        QCOMPARE(textIn(readRes(path("P.res")), 2057, 2), QStringLiteral("two\r\nlines"));
    }

    // Dragging a header reorders the columns; the order, and a width dragged to, stay with the project file.
    void columnOrderAndWidthsAreRememberedPerProject()
    {
        show({{2057, 1, "one"}, {1031, 1, "eins"}, {1036, 1, "un"}});
        const int german = columnOf(1031), french = columnOf(1036), english = columnOf(2057);
        QCOMPARE(grid().columnOrder(), (QList<int>{0, german, french, english}));
        grid().header()->moveSection(grid().header()->visualIndex(english), 1);  // as a drag does
        QCOMPARE(grid().columnOrder(), (QList<int>{0, english, german, french}));
        // Tab follows the columns as shown.
        click(0, english);
        QCOMPARE(press(SftTree::KeyTab), 0);
        QCOMPARE(grid().editColumn(), german);
        QCOMPARE(press(SftTree::KeyTab, SftTree::ShiftMask), 0);
        QCOMPARE(press(SftTree::KeyTab, SftTree::ShiftMask), 0);  // the first language: stays
        QCOMPARE(grid().editColumn(), english);
        grid().endEdit(false);
        m_editor->Refresh();
        QCOMPARE(grid().columnOrder(), (QList<int>{0, english, german, french}));
        // Another editor on the same project file finds the same order; another project does not.
        writeRes(path("Q.res"), {{2057, 1, "one"}, {1031, 1, "eins"}, {1036, 1, "un"}});
        writeProject(m_dir->path(), "Q", "Q.res");
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("Q.vbp")));
        m_editor = std::make_unique<docResourceEditor>();
        m_editor->setVBE(m_vbe.get());
        m_editor->cboProjects()->setCurrentIndex(1);
        m_editor->cboProjects_Click();
        QCOMPARE(grid().columnOrder(), (QList<int>{0, 1, 2, 3}));
        m_editor->cboProjects()->setCurrentIndex(0);
        m_editor->cboProjects_Click();
        QCOMPARE(grid().columnOrder(), (QList<int>{0, english, german, french}));
        // The ID column cannot be dragged away from the left edge.
        grid().header()->moveSection(0, 2);
        QCOMPARE(grid().columnOrder().value(0), 0);
        QCOMPARE(grid().columnOrder(), (QList<int>{0, english, german, french}));
    }

    void emptyingACellKeepsItsEntry()
    {
        show({{2057, 3, "three"}});
        click(0, 1);
        grid().cellEditor()->clear();
        QVERIFY(grid().endEdit(true));
        QVERIFY(file().Strings().Find(2057, 3));
        QCOMPARE(file().Strings().Find(2057, 3)->Text(), QString());
    }

    // Moves past the first or last row or column go nowhere; Tab there still stores the text
    // (a following Escape would otherwise lose it).
    void navigationStopsAtTheEdges_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("shift");
        QTest::addColumn<int>("toRow");
        QTest::addColumn<int>("toColumn");
        QTest::addColumn<bool>("stores");
        QTest::newRow("Up in the first row") << 0 << 1 << int(SftTree::KeyUp) << 0 << 0 << 1 << false;
        QTest::newRow("Down in the last row") << 2 << 2 << int(SftTree::KeyDown) << 0 << 2 << 2 << false;
        QTest::newRow("Tab in the last column") << 1 << 3 << int(SftTree::KeyTab) << 0 << 1 << 3 << true;
        QTest::newRow("Shift+Tab in column 1") << 1 << 1 << int(SftTree::KeyTab) << 1 << 1 << 1 << true;
        QTest::newRow("Up") << 2 << 2 << int(SftTree::KeyUp) << 0 << 1 << 2 << true;
        QTest::newRow("Down") << 0 << 3 << int(SftTree::KeyDown) << 0 << 1 << 3 << true;
        QTest::newRow("Tab") << 1 << 1 << int(SftTree::KeyTab) << 0 << 1 << 2 << true;
        QTest::newRow("Shift+Tab") << 1 << 3 << int(SftTree::KeyTab) << 1 << 1 << 2 << true;
        QTest::newRow("Enter") << 2 << 3 << int(SftTree::KeyEnter) << 0 << 2 << 3 << true;
    }
    void navigationStopsAtTheEdges()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, key);
        QFETCH(int, shift);
        QFETCH(int, toRow);
        QFETCH(int, toColumn);
        QFETCH(bool, stores);
        QList<Entry> entries;
        for (qint32 id = 1; id <= 3; ++id) {
            for (qint32 lcid : {2057, 1031, 1036})
                entries.append({lcid, id, QStringLiteral("%1-%2").arg(lcid).arg(id)});
        }
        show(entries);
        click(row, column);
        grid().cellEditor()->setText(QStringLiteral("typed"));
        QCOMPARE(press(key, shift), 0);
        QVERIFY(grid().isEditing());
        QCOMPARE(grid().editRow(), toRow);
        QCOMPARE(grid().editColumn(), toColumn);
        const qint32 lcid = m_editor->Languages()[column - 1].LocaleID;
        QCOMPARE(file().Strings().Find(lcid, row + 1)->Text(),
                 stores ? QStringLiteral("typed") : QStringLiteral("%1-%2").arg(lcid).arg(row + 1));
        if (toRow == row && toColumn == column)
            QCOMPARE(grid().cellEditor()->text(), QStringLiteral("typed"));
        // What was stored stays when the edit is then cancelled.
        QTest::keyClick(grid().cellEditor(), Qt::Key_Escape);
        QVERIFY(!grid().isEditing());
        QCOMPARE(file().Strings().Find(lcid, row + 1)->Text() == QStringLiteral("typed"), stores);
    }

    void otherKeysReachTheCellEditor()
    {
        show({{2057, 1, "one"}});
        click(0, 1);
        QCOMPARE(press('A'), int('A'));
        QCOMPARE(press(SftTree::KeyLeft), int(SftTree::KeyLeft));
        QVERIFY(!file().Changed());
    }

    // Characters whose Qt key codes equal the codes of Up, Down, Left and Right
    // are typed into the cell, never taken for a move.
    void typedCharactersStayInTheCell()
    {
        show({{2057, 1, "one"}, {2057, 2, "two"}});
        click(0, 1);
        grid().cellEditor()->clear();
        const QString typed = QStringLiteral("(a) & 5% 'b' #$-.!");
        QTest::keyClicks(grid().cellEditor(), typed);
        QCOMPARE(grid().cellEditor()->text(), typed);
        QCOMPARE(grid().editRow(), 0);
        QCOMPARE(grid().editColumn(), 1);
        QTest::keyClick(grid().cellEditor(), Qt::Key_Down);
        QCOMPARE(grid().editRow(), 1);
        QCOMPARE(file().Strings().Find(2057, 1)->Text(), typed);
    }

    // The editor on screen, worked with keys alone: the keys go wherever the focus is.
    void aKeyboardWalkEditsCellsWithoutTheMouse()
    {
        show({{2057, 1, "one"}, {1031, 1, "eins"}, {2057, 2, "two"}});
        m_editor->show();
        QVERIFY(testlib::waitForActive(m_editor.get()));
        grid().setFocus();
        const auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(QApplication::focusWidget(), k, modifiers);
        };
        const auto type = [](const QString &text) {
            for (QChar c : text)
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        };
        const int german = columnOf(1031);
        const int english = columnOf(2057);
        QCOMPARE(german, 1);
        QCOMPARE(grid().currentRow(), 0);
        QCOMPARE(grid().currentColumn(), german);
        key(Qt::Key_Down);
        type(QStringLiteral("Zwei"));
        QVERIFY(grid().isEditing());
        QCOMPARE(grid().editRow(), grid().findItemData(2));
        QCOMPARE(grid().cellEditor()->text(), QStringLiteral("Zwei"));
        QCOMPARE(grid().cellEditor()->font().families().value(0), grid().cellFont(1, german));
        key(Qt::Key_Return);  // stores and stays
        QVERIFY(grid().isEditing());
        QCOMPARE(file().Strings().Find(1031, 2)->Text(), QStringLiteral("Zwei"));
        key(Qt::Key_Tab);
        QCOMPARE(grid().editColumn(), english);
        key(Qt::Key_End);  // the cell opens with its text selected
        type(QStringLiteral("x"));
        key(Qt::Key_Tab);  // the last column: nothing moves, the text is stored
        QCOMPARE(grid().editColumn(), english);
        key(Qt::Key_Escape);
        QVERIFY(!grid().isEditing());
        QCOMPARE(QApplication::focusWidget(), &grid());
        QCOMPARE(file().Strings().Find(2057, 2)->Text(), QStringLiteral("twox"));
        QVERIFY(file().Changed());
        // Escape cancels an edit that F2 opened.
        key(Qt::Key_Up);
        key(Qt::Key_F2);
        QVERIFY(grid().isEditing());
        QCOMPARE(grid().editRow(), 0);
        key(Qt::Key_End);
        type(QStringLiteral(" more"));
        key(Qt::Key_Escape);
        QCOMPARE(grid().cellText(0, english), QStringLiteral("one"));
        QCOMPARE(file().Strings().Find(2057, 1)->Text(), QStringLiteral("one"));
        // Shift+F10 opens the column menu of the current cell.
        key(Qt::Key_F10, Qt::ShiftModifier);
        QM_TRY_VERIFY(m_editor->mnuColumnMenu()->isVisible());
        QCOMPARE(m_editor->MenuColumn(), english);
        QCOMPARE(m_editor->MenuRow(), 0);
        QCOMPARE(m_editor->mnuRemoveLanguage()->text(),
                 QStringLiteral("Remove Language - ") + m_editor->Languages()[english - 1].LanguageName);
        QTest::keyClick(m_editor->mnuColumnMenu(), Qt::Key_Escape);  // a pop-up takes the keys it is shown with
        QM_TRY_VERIFY(!m_editor->mnuColumnMenu()->isVisible());
    }

    void rightClickOnTheIdColumnDisablesTheLanguageItems()
    {
        show({{2057, 1, "one"}, {1031, 1, "eins"}});
        m_editor->SftTree_ItemClick(0, 0, SftTree::AreaCell, SftTree::RightButton, 0);
        QCOMPARE(m_editor->MenuColumn(), 0);
        QCOMPARE(m_editor->MenuRow(), 0);
        QCOMPARE(m_editor->MenuLanguage(), -1);
        QCOMPARE(m_editor->mnuRemoveLanguage()->text(), QStringLiteral("Remove Language"));
        QVERIFY(!m_editor->mnuRemoveLanguage()->isEnabled());
        QCOMPARE(m_editor->mnuChangeFont()->text(), QStringLiteral("Change Font for Language"));
        QVERIFY(!m_editor->mnuChangeFont()->isEnabled());
        QVERIFY(m_editor->mnuRemoveResourceString()->isEnabled());
        QVERIFY(m_editor->mnuAddLanguage()->isEnabled());
        QVERIFY(m_editor->mnuAddResourceString()->isEnabled());
        m_editor->mnuColumnMenu()->close();
    }

    void rightClickOnALanguageNamesItInTheMenu_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("area");
        QTest::newRow("cell") << 0 << int(SftTree::AreaCellText);
        QTest::newRow("header") << -1 << int(SftTree::AreaColumnHeader);
    }
    void rightClickOnALanguageNamesItInTheMenu()
    {
        QFETCH(int, row);
        QFETCH(int, area);
        show({{2057, 1, "one"}, {1031, 1, "eins"}});
        const int german = columnOf(1031);
        const QString name = m_editor->Languages()[german - 1].LanguageName;
        m_editor->SftTree_ItemClick(row, german, area, SftTree::RightButton, 0);
        QCOMPARE(m_editor->MenuColumn(), german);
        QCOMPARE(m_editor->MenuRow(), row);
        QCOMPARE(m_editor->MenuLanguage(), german - 1);
        QCOMPARE(m_editor->mnuRemoveLanguage()->text(), QStringLiteral("Remove Language - ") + name);
        QCOMPARE(m_editor->mnuChangeFont()->text(), QStringLiteral("Change Font for Language - ") + name);
        QVERIFY(m_editor->mnuRemoveLanguage()->isEnabled());
        QVERIFY(m_editor->mnuChangeFont()->isEnabled());
        QVERIFY(!grid().isEditing());
        m_editor->mnuColumnMenu()->close();
    }

    void clicksThatAreNotOnACellDoNothing()
    {
        show({{2057, 1, "one"}});
        m_editor->SftTree_ItemClick(-1, 1, SftTree::AreaColumnHeader, SftTree::LeftButton, 0);
        m_editor->SftTree_ItemClick(0, 0, SftTree::AreaCellText, SftTree::LeftButton, 0);
        m_editor->SftTree_ItemClick(-1, 1, SftTree::AreaNone, SftTree::RightButton, 0);
        QVERIFY(!grid().isEditing());
        QCOMPARE(m_editor->MenuLanguage(), -1);
        QVERIFY(m_user->messageBoxes.isEmpty());
    }

    void aLanguageMissingFromTheTableIsReported()
    {
        show({{2057, 1, "one"}});
        file().Strings().Add(1031, 2, QStringLiteral("zwei"));
        m_user->answerMsgBox(win32::vbOK);
        m_editor->SetColumns();
        m_editor->ShowResourceStrings(m_editor->CurrentProject());
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(m_user->messageBoxes[0].prompt, QStringLiteral("Internal Error - Failed to find column for language 1031"));
        QCOMPARE(m_user->messageBoxes[0].title, QStringLiteral("Quill Resource String Editor"));
        QCOMPARE(m_user->messageBoxes[0].style, int(win32::vbOKOnly));
        QCOMPARE(grid().itemCount(), 2);  // the row exists, its text has no column
        QCOMPARE(grid().cellText(grid().findItemData(1), 1), QStringLiteral("one"));
    }

    void aFailedFillSwitchesRedrawingOnAgain()
    {
        show({{2057, 1, "one"}});
        file().Strings().Add(1031, 2, QStringLiteral("zwei"));
        m_user->onMsgBox = [](const QString &) { qm::raise(QStringLiteral("message box failed")); };
        m_editor->SetColumns();
        m_editor->ShowResourceStrings(m_editor->CurrentProject());
        QCOMPARE(m_user->errors.size(), 1);
        QVERIFY(m_user->errors[0].startsWith("ShowResourceStrings: message box failed"));
        QVERIFY(grid().redraw());
        QVERIFY(grid().updatesEnabled());
        m_user->errors.clear();
    }

    void languageChangeRelabelsTheControls()
    {
        show({{2057, 1, "one"}});
        LgvRuntime::RuntimeSupport support;
        support.SetLanguage(1031, QStringLiteral("German (Germany)"));
        QCOMPARE(m_editor->mnuAddLanguage()->text(), LgvStringModule::lgv_string(87));
        QCOMPARE(m_editor->toolbarButton("refresh")->toolTip(), QStringLiteral("Resourcedatei erneut einlesen (F5)"));
        QCOMPARE(grid().columnCaption(0), LgvStringModule::lgv_string(492));
        support.SetLanguage(2057, QStringLiteral("English (United Kingdom)"));
        QCOMPARE(m_editor->toolbarButton("refresh")->toolTip(), QStringLiteral("Read the resource file again (F5)"));
    }

    void toolbarHasItsSeventeenPositions()
    {
        docResourceEditor editor;
        const QList<QAction *> buttons = editor.toolbar()->actions();
        QCOMPARE(buttons.size(), 17);
        for (int position : {1, 4, 7, 10, 12})
            QVERIFY(buttons[position]->isSeparator());
        QCOMPARE(buttons[0]->data().toString(), QStringLiteral("refresh"));
        QCOMPARE(buttons[16]->data().toString(), QStringLiteral("switch"));
        QCOMPARE(editor.toolbarButton("excel"), buttons[11]);
        QCOMPARE(editor.toolbarButton(""), nullptr);
        QCOMPARE(editor.toolbarButton("Refresh"), nullptr);
    }
};

QTEST_MAIN(EditorGridTest)
#include "editor_grid_test.moc"
