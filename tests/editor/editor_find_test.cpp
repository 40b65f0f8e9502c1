#include "editor/FindBar.h"
#include "editor/clsProject.h"
#include "editor/docResourceEditor.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "tests/editor/EditorFixture.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace editortest;
using win32::SftTree;

// Find and filter in the editor: the find bar's text and options, the missing
// translations toggle and its marks, the rows' order, F3, and editing while
// rows are hidden or reordered.
class EditorFindTest : public EditorFixture {
    Q_OBJECT
private:
    FindBar &bar() { return *m_editor->findBar(); }

    // English, German and French texts of IDs 1 to 5; ID 4 has no German, ID 5 no French.
    void showSample()
    {
        show({{2057, 1, "Open file"}, {1031, 1, "Datei öffnen"}, {1036, 1, "Ouvrir le fichier"},
              {2057, 2, "Save"}, {1031, 2, "Speichern"}, {1036, 2, "Enregistrer"},
              {2057, 3, "Open"}, {1031, 3, "Öffnen"}, {1036, 3, "Ouvrir"},
              {2057, 4, "Filename"}, {1036, 4, "Nom de fichier"},
              {2057, 5, "File 12"}, {1031, 5, "Datei 12"}},
             QStringLiteral("P"), 1000);
    }
    // The IDs of the rows shown, top to bottom.
    QList<qint32> shownIds()
    {
        QList<qint32> ids;
        for (int position = 0; position < grid().shownItemCount(); ++position)
            ids.append(grid().itemData(grid().itemAtPosition(position)));
        return ids;
    }
    // Types into the find field and waits for the typing pause to pass.
    void find(const QString &text)
    {
        if (!m_editor->FindBarOpen())
            m_editor->ShowFindBar();
        bar().findText()->setText(text);
        bar().settle();
    }
    QString status() { return bar().status()->text(); }

private slots:
    void init() { setUpEditor(); }
    void cleanup()
    {
        LgvStringModule::SetUILanguage(2057, QString());
        tearDownEditor();
    }

    void textFiltersRowsByIdOrAnyLanguage()
    {
        showSample();
        QAbstractItemModelTester tester(grid().model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        find("öffnen");  // case-insensitive: "Datei öffnen" and "Öffnen"
        QCOMPARE(shownIds(), (QList<qint32>{1, 3}));
        QCOMPARE(status(), QStringLiteral("2 of 5 strings"));
        find("FICHIER");  // French only
        QCOMPARE(shownIds(), (QList<qint32>{1, 4}));
        find("2");  // the ID 2 and the text "File 12"
        QCOMPARE(shownIds(), (QList<qint32>{2, 5}));
        find("");
        QCOMPARE(shownIds(), (QList<qint32>{1, 2, 3, 4, 5}));
        QCOMPARE(status(), QStringLiteral("5 of 5 strings"));
    }

    void optionsCaseWordExpressionAndScope()
    {
        showSample();
        find("open");
        QCOMPARE(shownIds(), (QList<qint32>{1, 3}));
        bar().matchCase()->setChecked(true);
        QCOMPARE(shownIds(), QList<qint32>{});
        find("Open");
        QCOMPARE(shownIds(), (QList<qint32>{1, 3}));
        bar().matchCase()->setChecked(false);

        find("file");  // "Open file", "Filename", "File 12", "fichier" does not count
        QCOMPARE(shownIds(), (QList<qint32>{1, 4, 5}));
        bar().wholeWord()->setChecked(true);  // "Filename" is no whole word "file"
        QCOMPARE(shownIds(), (QList<qint32>{1, 5}));
        bar().wholeWord()->setChecked(false);

        bar().regularExpression()->setChecked(true);
        find("^(Save|Open)$");
        QCOMPARE(shownIds(), (QList<qint32>{2, 3}));
        find("datei \\d+");
        QCOMPARE(shownIds(), QList<qint32>{5});
        bar().wholeWord()->setChecked(true);
        find("fil");
        QCOMPARE(shownIds(), QList<qint32>{});

        // A bad expression says so and hides nothing.
        bar().wholeWord()->setChecked(false);
        find("Open(");
        QCOMPARE(shownIds(), (QList<qint32>{1, 2, 3, 4, 5}));
        QVERIFY2(status().startsWith(QStringLiteral("Invalid regular expression: ")), qPrintable(status()));
        QVERIFY(status().contains(QStringLiteral("(at position 5)")));
        QVERIFY(!m_editor->FindNext(false));
        bar().regularExpression()->setChecked(false);  // now a plain text, found nowhere
        QCOMPARE(shownIds(), QList<qint32>{});
        QCOMPARE(status(), QStringLiteral("0 of 5 strings"));
    }

    void scopeIsOneLanguage()
    {
        showSample();
        QCOMPARE(bar().scope()->count(), 4);  // all, and the three languages
        QCOMPARE(bar().scope()->itemText(0), QStringLiteral("All languages"));
        find("Datei");
        QCOMPARE(shownIds(), (QList<qint32>{1, 5}));
        bar().scope()->setCurrentIndex(bar().scope()->findData(2057));
        emit bar().scope()->activated(bar().scope()->currentIndex());
        QCOMPARE(shownIds(), QList<qint32>{});
        find("1");  // the IDs are not in an English scope
        QCOMPARE(shownIds(), QList<qint32>{5});
    }

    void missingTranslationsToggleCountsAndMarks()
    {
        showSample();
        m_editor->ShowFindBar();
        bar().missingTranslations()->setChecked(true);
        QCOMPARE(shownIds(), (QList<qint32>{4, 5}));
        QVERIFY(m_editor->mnuMissingOnly()->isChecked());
        QCOMPARE(status(), QStringLiteral("2 of 5 strings"));
        // Both filters together: missing and a text.
        find("datei");
        QCOMPARE(shownIds(), QList<qint32>{5});
        find("");

        QCoreApplication::processEvents();  // the counts are taken after the fill
        const int german = columnOf(1031);
        const int french = columnOf(1036);
        const int english = columnOf(2057);
        QCOMPARE(m_editor->MissingCount(german), 1);
        QCOMPARE(m_editor->MissingCount(french), 1);
        QCOMPARE(m_editor->MissingCount(english), 0);
        // The figures of the review states follow the count.
        QVERIFY(grid().model()->headerData(german, Qt::Horizontal, Qt::ToolTipRole).toString().startsWith(
            QStringLiteral("Missing translations: 1\n")));
        QCOMPARE(grid().model()->headerData(0, Qt::Horizontal, Qt::ToolTipRole).toString(),
                 QStringLiteral("5 strings, 2 with missing translations"));

        // A missing cell is tinted and described; a filled one is neither.
        const QModelIndex missing = grid().viewIndex(grid().findItemData(4), german);
        const QModelIndex filled = grid().viewIndex(grid().findItemData(4), english);
        QVERIFY(missing.data(Qt::BackgroundRole).value<QColor>().isValid());
        QVERIFY(missing.data(Qt::BackgroundRole).value<QColor>() != grid().palette().color(QPalette::Base));
        // (The source language has a text there, so the check for empty translations names it first.)
        QVERIFY(missing.data(Qt::AccessibleDescriptionRole).toString().endsWith(QStringLiteral("\nMissing translation")));
        QVERIFY(!filled.data(Qt::BackgroundRole).isValid());
        QVERIFY(!filled.data(Qt::AccessibleDescriptionRole).isValid());
        // The screen reader's cell says it, too.
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(&grid());
        QVERIFY(table && table->tableInterface());
        QAccessibleInterface *cell = table->tableInterface()->cellAt(missing.row(), missing.column());
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Description), missing.data(Qt::AccessibleDescriptionRole).toString());

        // Typing the translation keeps the row in view until the filter is applied again.
        m_editor->SftTree_ItemClick(grid().findItemData(4), german, SftTree::AreaCellText, SftTree::LeftButton, 0);
        grid().cellEditor()->setText(QStringLiteral("Dateiname"));
        QVERIFY(grid().endEdit(true));
        QCOMPARE(shownIds(), (QList<qint32>{4, 5}));
        QCOMPARE(file().Strings().Find(1031, 4)->Text(), QStringLiteral("Dateiname"));
        QCoreApplication::processEvents();
        QCOMPARE(m_editor->MissingCount(german), 0);
        m_editor->ApplyRowFilter();
        QCOMPARE(shownIds(), QList<qint32>{5});

        // The menu's toggle and the bar's are one; closing the bar shows every row.
        m_editor->mnuMissingOnly()->setChecked(false);
        QVERIFY(!bar().missingTranslations()->isChecked());
        QCOMPARE(shownIds().size(), 5);
        m_editor->mnuMissingOnly()->setChecked(true);
        QCOMPARE(shownIds(), QList<qint32>{5});
        m_editor->CloseFindBar();
        QCOMPARE(shownIds().size(), 5);
        QVERIFY(!m_editor->mnuMissingOnly()->isChecked());
    }

    void sortingByHeaderAndMenu()
    {
        showSample();
        const int english = columnOf(2057);
        const int german = columnOf(1031);
        emit grid().HeaderClick(english);
        QCOMPARE(shownIds(), (QList<qint32>{5, 4, 3, 1, 2}));  // File 12, Filename, Open, Open file, Save
        QCOMPARE(grid().header()->sortIndicatorSection(), english);
        emit grid().HeaderClick(english);  // again: the other way round
        QCOMPARE(shownIds(), (QList<qint32>{2, 1, 3, 4, 5}));
        QCOMPARE(grid().header()->sortIndicatorOrder(), Qt::DescendingOrder);
        // German as German sorts it: "Ö" with "O", the missing text last.
        emit grid().HeaderClick(german);
        QCOMPARE(shownIds(), (QList<qint32>{5, 1, 3, 2, 4}));
        emit grid().HeaderClick(0);
        QCOMPARE(shownIds(), (QList<qint32>{1, 2, 3, 4, 5}));
        emit grid().HeaderClick(0);
        QCOMPARE(shownIds(), (QList<qint32>{5, 4, 3, 2, 1}));

        // The menu offers the same, by keyboard.
        QMenu *menu = m_editor->mnuSort();
        QCOMPARE(menu->title(), QStringLiteral("Sort &By"));
        QAction *byFrench = nullptr;
        for (QAction *action : menu->actions()) {
            if (action->data() == QVariant(1036))
                byFrench = action;
        }
        QVERIFY(byFrench);
        m_editor->mnuSort()->actions().constLast()->trigger();  // "Descending" off
        QVERIFY(!m_editor->SortDescending());
        byFrench->trigger();
        QVERIFY(byFrench->isChecked());
        QCOMPARE(shownIds(), (QList<qint32>{2, 4, 3, 1, 5}));
        // With a filter on, the order holds for what is shown.
        find("i");
        QCOMPARE(shownIds(), (QList<qint32>{2, 4, 3, 1, 5}));
        find("datei");
        QCOMPARE(shownIds(), (QList<qint32>{1, 5}));
    }

    void filterAndSortNeverChangeTheFile()
    {
        showSample();
        const QByteArray before = readFile(path("P.res"));
        find("open");
        emit grid().HeaderClick(columnOf(1031));
        bar().missingTranslations()->setChecked(true);
        QVERIFY(!file().Changed());
        m_editor->SaveResFile();
        QCOMPARE(readFile(path("P.res")), before);
    }

    void editingAddingAndRemovingWithAFilterOn()
    {
        showSample();
        const int german = columnOf(1031);
        emit grid().HeaderClick(german);
        find("datei");
        QCOMPARE(shownIds(), (QList<qint32>{5, 1}));
        // Editing the second row shown edits ID 1's real entry.
        const int row = grid().itemAtPosition(1);
        m_editor->SftTree_ItemClick(row, german, SftTree::AreaCellText, SftTree::LeftButton, 0);
        QCOMPARE(grid().editRow(), row);
        grid().cellEditor()->setText(QStringLiteral("Datei aufmachen"));
        // Down and Up go to the rows shown: none below this one, ID 5 above it.
        int key = SftTree::KeyDown;
        m_editor->SftTree_CEKeyDown(key, 0, row, german, grid().cellEditor()->text());
        QCOMPARE(grid().editRow(), row);
        key = SftTree::KeyUp;
        m_editor->SftTree_CEKeyDown(key, 0, row, german, grid().cellEditor()->text());
        QCOMPARE(grid().editRow(), grid().itemAtPosition(0));
        QCOMPARE(file().Strings().Find(1031, 1)->Text(), QStringLiteral("Datei aufmachen"));
        QCOMPARE(file().Strings().Find(1031, 5)->Text(), QStringLiteral("Datei 12"));
        grid().endEdit(false);

        // A new string appears below what is shown, ready for typing.
        m_editor->NewResString();
        QCOMPARE(shownIds(), (QList<qint32>{5, 1, 6}));
        QCOMPARE(grid().editRow(), grid().findItemData(6));
        const qint32 firstLocale = m_editor->Languages()[grid().editColumn() - 1].LocaleID;
        grid().cellEditor()->setText(QStringLiteral("neu"));
        QVERIFY(grid().endEdit(true));
        QVERIFY(file().Strings().Find(firstLocale, 6));
        QCoreApplication::processEvents();
        QCOMPARE(status(), QStringLiteral("3 of 6 strings"));

        // Removing the selected row removes that string, in every language.
        grid().selectRow(grid().findItemData(5));
        m_user->answerMsgBox(win32::vbOK);
        m_editor->DelResString();
        QCOMPARE(shownIds(), (QList<qint32>{1, 6}));
        QVERIFY(!file().Strings().Find(2057, 5));
        QVERIFY(file().Strings().Find(2057, 2));

        // Removing a language rebuilds the grid; the filter and the order stay where they can.
        m_editor->mnuMissingOnly()->setChecked(false);
        m_editor->SftTree_ItemClick(-1, columnOf(1036), SftTree::AreaColumnHeader, SftTree::RightButton, 0);
        m_editor->mnuColumnMenu()->hide();
        m_user->answerMsgBox(win32::vbOK);
        m_editor->mnuRemoveLanguage_Click();
        QCOMPARE(columnOf(1036), -1);
        QCOMPARE(bar().scope()->count(), 3);
        QCOMPARE(shownIds(), QList<qint32>{1});  // the refill filters again: 6 holds no "datei"
        QCOMPARE(m_editor->SortLocale(), 1031);
        m_user->verifyNothingUnexpected();
    }

    void findNextWalksTheMatchesWithTheFilterOff()
    {
        showSample();
        find("datei");
        bar().filterRows()->setChecked(false);
        QCOMPARE(shownIds().size(), 5);
        grid().setCurrentCell(grid().findItemData(1), 0);
        QVERIFY(m_editor->FindNext(false));
        QCOMPARE(grid().currentRow(), grid().findItemData(1));
        QCOMPARE(grid().currentColumn(), columnOf(1031));
        QCOMPARE(grid().selectedRow(), grid().findItemData(1));
        QVERIFY(m_editor->FindNext(false));
        QCOMPARE(grid().currentRow(), grid().findItemData(5));
        QVERIFY(m_editor->FindNext(false));  // round again to the first
        QCOMPARE(grid().currentRow(), grid().findItemData(1));
        QVERIFY(m_editor->FindNext(true));  // and back
        QCOMPARE(grid().currentRow(), grid().findItemData(5));

        find("nowhere");
        QVERIFY(!m_editor->FindNext(false));
        QCOMPARE(status(), QStringLiteral("Not found"));
    }

    void keysOpenFindAndClose()
    {
        showSample();
        m_editor->show();
        QVERIFY(testlib::waitForActive(m_editor.get()));
        grid().setFocus();
        QTest::keyClick(&grid(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(m_editor->FindBarOpen());
        QVERIFY(bar().isVisible());
        QCOMPARE(QApplication::focusWidget(), bar().findText());
        QVERIFY(bar().geometry().bottom() < grid().geometry().top());
        QTest::keyClicks(bar().findText(), QStringLiteral("save"));
        QM_TRY_COMPARE(shownIds(), QList<qint32>{2});  // after the typing pause
        QTest::keyClick(bar().findText(), Qt::Key_Return);
        QCOMPARE(grid().currentRow(), grid().findItemData(2));
        QTest::keyClick(bar().findText(), Qt::Key_Escape);
        QVERIFY(!m_editor->FindBarOpen());
        QVERIFY(!bar().isVisible());
        QCOMPARE(shownIds().size(), 5);
        // F3 still finds the last text, with every row shown.
        grid().setCurrentCell(grid().findItemData(1), 0);
        QTest::keyClick(&grid(), Qt::Key_F3);
        QCOMPARE(grid().currentRow(), grid().findItemData(2));
        QTest::keyClick(&grid(), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(grid().currentRow(), grid().findItemData(2));

        // Every control of the bar is named.
        m_editor->ShowFindBar();
        for (QWidget *control : bar().findChildren<QWidget *>()) {
            if (qobject_cast<QLabel *>(control) || !control->isVisible() || control->parentWidget() != &bar())
                continue;
            QAccessibleInterface *item = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(item && !item->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
        }
        QVERIFY(m_editor->mnuFind()->isEnabled());
    }

    void germanTexts()
    {
        showSample();
        LgvStringModule::SetUILanguage(1031, QString());
        m_editor->lgv_UpdateControls();
        find("datei");
        QCOMPARE(status(), QStringLiteral("2 von 5 Strings"));
        QCOMPARE(bar().missingTranslations()->text(), QStringLiteral("Fehlende Ü&bersetzungen"));
        QCOMPARE(bar().scope()->itemText(0), QStringLiteral("Alle Sprachen"));
        QCOMPARE(m_editor->mnuFindNext()->text(), QStringLiteral("Weitersu&chen"));
        QCOMPARE(bar().closeButton()->accessibleName(), QStringLiteral("Suchleiste schließen"));
        // The expression's error is Qt's, in German too.
        bar().regularExpression()->setChecked(true);
        find("[a");
        QVERIFY2(status().startsWith(QStringLiteral("Ungültiger regulärer Ausdruck: ")), qPrintable(status()));
        QVERIFY2(!status().contains(QStringLiteral("missing")), qPrintable(status()));
    }
};

QTEST_MAIN(EditorFindTest)
#include "editor_find_test.moc"
