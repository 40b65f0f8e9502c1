#include "editor/StringSnapshot.h"
#include "excel/frmExcel.h"
#include "languages/frmAddLanguage.h"
#include "languages/frmRemoveLanguage.h"
#include "languages/frmSelectFont.h"
#include "languages/ctlLanguageList.h"
#include "platform/vbide/CommandBarPopup.h"
#include "platform/vbide/CommandBars.h"
#include "platform/vbide/VBProject.h"
#include "tests/undo/EditorUndoSupport.h"

#include <QAction>
#include <QHash>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QUndoGroup>
#include <QTreeWidget>
#include <QUndoStack>

using namespace undotest;
using editortest::Entry;

// Undo and redo of every change to a project's strings, through the editor's
// keys and menu, on the real grid.
class EditorUndoTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;

    QUndoStack &stack() { return *f->editor->CurrentProject()->UndoStack(); }
    void removeLanguageFromColumnMenu(qint32 localeId)
    {
        f->editor->SftTree_ItemClick(-1, f->columnOf(localeId), win32::SftTree::AreaColumnHeader,
                                     win32::SftTree::RightButton, 0);
        f->editor->mnuColumnMenu()->hide();
        f->user->answerMsgBox(win32::vbOK);
        f->editor->mnuRemoveLanguage()->trigger();
    }
    void activate()
    {
        f->editor->activateWindow();
        QVERIFY(testlib::waitForActive(f->editor.get()));
    }

private slots:
    void initTestCase()
    {
        ::LocaleInfo = std::make_shared<LgvRuntime::LocaleInfo>();
        editortest::skipLanguageDialog();
    }
    void cleanupTestCase() { ::LocaleInfo.reset(); }
    void init()
    {
        setUILanguage(kEnglish);
        f = std::make_unique<Fixture>();
    }
    void cleanup()
    {
        f->editor.reset();
        f->user->verifyNothingUnexpected();
        f.reset();
    }

    // Typed texts come back with Ctrl+Z and go again with Ctrl+Shift+Z and
    // Ctrl+Y; an entry the edit created goes with its undo, so the collection
    // is as it was, entry for entry.
    void cellEditsAreUndoneAndRedoneByKeys()
    {
        f->show({{kEnglish, 1, "One"}, {kGerman, 1, "Eins"}, {kEnglish, 2, "Two"}});
        activate();
        const QList<Entry> original = entriesOf(f->file());
        f->type(1, kEnglish, "First");
        f->type(2, kGerman, "Zwei");
        QCOMPARE(f->file().Strings().Find(kGerman, 2)->Text(), QStringLiteral("Zwei"));
        QCOMPARE(f->editor->mnuUndo()->text(), QStringLiteral("&Undo Edit String 2"));
        QVERIFY(f->editor->mnuUndo()->isEnabled());
        QVERIFY(!f->editor->mnuRedo()->isEnabled());

        f->key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        QVERIFY(!f->file().Strings().Find(kGerman, 2));
        QCOMPARE(f->cell(2, kGerman), QString());
        QCOMPARE(f->editor->mnuRedo()->text(), QStringLiteral("Re&do Edit String 2"));
        f->key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(f->cell(1, kEnglish), QStringLiteral("One"));
        QVERIFY(sameEntries(entriesOf(f->file()), original));
        QVERIFY(!f->editor->mnuUndo()->isEnabled());
        QCOMPARE(f->editor->mnuUndo()->text(), QStringLiteral("&Undo"));

        f->key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
        QCOMPARE(f->cell(1, kEnglish), QStringLiteral("First"));
        f->key(QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(f->cell(2, kGerman), QStringLiteral("Zwei"));
        QCOMPARE(f->file().Strings().Find(kGerman, 2)->Text(), QStringLiteral("Zwei"));
        // A new step after an undo drops what could have been redone.
        f->key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        f->type(1, kGerman, "Erste");
        QVERIFY(!f->editor->mnuRedo()->isEnabled());
        QCOMPARE(stack().count(), 2);
    }

    // In the cell editor Ctrl+Z belongs to the text being typed.
    void ctrlZInTheCellEditorUndoesTyping()
    {
        f->show({{kEnglish, 1, "One"}});
        activate();
        f->type(1, kEnglish, "Uno");
        f->grid().setCurrentCell(0, f->columnOf(kEnglish));
        QTest::keyClick(&f->grid(), Qt::Key_F2);
        QTest::keyClick(f->grid().cellEditor(), Qt::Key_End);
        QTest::keyClicks(f->grid().cellEditor(), "s");
        QTest::keyClick(f->grid().cellEditor(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(f->grid().isEditing());
        QCOMPARE(f->grid().cellEditor()->text(), QStringLiteral("Uno"));
        QCOMPARE(stack().count(), 1);
        QCOMPARE(f->file().Strings().Find(kEnglish, 1)->Text(), QStringLiteral("Uno"));
        f->grid().endEdit(false);
    }

    // The "*" of unsaved strings goes when undo reaches the saved state, and
    // comes back past it; steps that leave the file alone do not set it.
    void undoToTheSavedStateClearsTheUnsavedMark()
    {
        f->show({{kEnglish, 1, "One"}});
        QVERIFY(!f->marked());
        f->type(1, kEnglish, "Uno");
        QVERIFY(f->marked());
        QCOMPARE(f->editor->cboProjects()->itemText(0), QStringLiteral("P *"));
        f->editor->Undo();
        QVERIFY(!f->marked());
        QVERIFY(!f->file().Changed());
        QCOMPARE(f->editor->cboProjects()->itemText(0), QStringLiteral("P"));
        f->editor->Redo();
        QVERIFY(f->marked());
        // Saved: that is the new state to come back to.
        f->editor->toolbar_ButtonClick(f->editor->toolbarButton("save"));
        QVERIFY(!f->marked());
        f->type(1, kEnglish, "Eins");
        f->editor->Undo();
        QVERIFY(!f->marked());
        f->editor->Undo();  // before the save
        QVERIFY(f->marked());
        QCOMPARE(f->file().Strings().Find(kEnglish, 1)->Text(), QStringLiteral("One"));
        f->editor->Redo();
        QVERIFY(!f->marked());
        // A new row without text is a step, but not a change to the file.
        f->editor->toolbar_ButtonClick(f->editor->toolbarButton("insertstring"));
        f->grid().endEdit(false);
        QCOMPARE(f->rowIds(), (QList<qint32>{1, 2}));
        QCOMPARE(f->editor->mnuUndo()->text(), QStringLiteral("&Undo New String 2"));
        QVERIFY(!f->marked());
        f->editor->Undo();
        QCOMPARE(f->rowIds(), QList<qint32>{1});
        QVERIFY(!f->marked());
    }

    // Removing a string or a language, undone, gives back every entry in its
    // place (so the columns come back in their order), texts unchanged to the
    // last unit, and the step is named after what it removed.
    void removalsComeBackExactly()
    {
        const QString odd = QStringLiteral("Zeile\r\nzwei ") + QChar(0xD800) + QStringLiteral("\u00A0");
        f->show({{kFrench, 5, "Cinq"}, {kEnglish, 1, "One"}, {kGerman, 1, "Eins"}, {kEnglish, 5, "Five"},
                 {kGerman, 5, odd}});
        const QList<Entry> original = entriesOf(f->file());
        const QStringList captions{f->grid().columnCaption(1), f->grid().columnCaption(2), f->grid().columnCaption(3)};

        f->grid().selectRow(f->grid().findItemData(5));
        f->user->answerMsgBox(win32::vbOK);
        f->editor->toolbar_ButtonClick(f->editor->toolbarButton("deletestring"));
        QCOMPARE(f->rowIds(), QList<qint32>{1});
        QCOMPARE(f->editor->mnuUndo()->text(), QStringLiteral("&Undo Remove String 5"));
        f->editor->Undo();
        QCOMPARE(f->rowIds(), (QList<qint32>{1, 5}));
        QCOMPARE(f->cell(5, kGerman), odd);
        QVERIFY(sameEntries(entriesOf(f->file()), original));

        const QString german = f->editor->Languages()[f->columnOf(kGerman) - 1].LanguageName;
        removeLanguageFromColumnMenu(kGerman);
        QCOMPARE(f->columnOf(kGerman), -1);
        QCOMPARE(f->editor->mnuUndo()->text(), QStringLiteral("&Undo Remove Language ") + german);
        QVERIFY(f->marked());
        f->editor->Undo();
        QVERIFY(sameEntries(entriesOf(f->file()), original));
        QCOMPARE((QStringList{f->grid().columnCaption(1), f->grid().columnCaption(2), f->grid().columnCaption(3)}),
                 captions);
        QCOMPARE(f->cell(5, kGerman), odd);
        QCOMPARE(f->cell(1, kGerman), QStringLiteral("Eins"));
        QVERIFY(!f->marked());
        f->editor->Redo();
        QCOMPARE(f->columnOf(kGerman), -1);
        QCOMPARE(f->file().Languages(), (QList<qint32>{kFrench, kEnglish}));

        // From the toolbar's dialog, the same step.
        f->editor->Undo();
        const int french = f->columnOf(kFrench) - 1;
        f->user->answerDialog([french](QDialog &dialog) {
            auto &form = dynamic_cast<frmRemoveLanguage &>(dialog);
            form.lstLanguages->item(french)->setSelected(true);
            form.cmdOK->click();
            return 0;
        });
        f->editor->toolbar_ButtonClick(f->editor->toolbarButton("removelanguage"));
        QCOMPARE(f->columnOf(kFrench), -1);
        f->editor->Undo();
        QVERIFY(sameEntries(entriesOf(f->file()), original));
        QCOMPARE(f->grid().columnCaption(2), captions[1]);
    }

    // An added language is a column until it gets a text; undo takes it away,
    // with the texts typed into it first.
    void addedLanguageIsUndone()
    {
        f->show({{kEnglish, 1, "One"}});
        f->user->answerDialog([](QDialog &dialog) {
            auto &form = dynamic_cast<frmAddLanguage &>(dialog);
            form.LocaleList->setLocaleID(kFrench);
            form.cmdOK->click();
            return 0;
        });
        f->editor->toolbar_ButtonClick(f->editor->toolbarButton("addlanguage"));
        QVERIFY(f->columnOf(kFrench) > 0);
        QVERIFY(f->editor->mnuUndo()->text().startsWith(QStringLiteral("&Undo Add Language ")));
        QVERIFY(!f->marked());
        f->type(1, kFrench, "Un");
        QVERIFY(f->marked());
        f->editor->Undo();
        QVERIFY(f->columnOf(kFrench) > 0);  // the column stays until its own step is undone
        QVERIFY(!f->file().Strings().Find(kFrench, 1));
        f->editor->Undo();
        QCOMPARE(f->columnOf(kFrench), -1);
        QCOMPARE(f->grid().columnCount(), 2);
        f->editor->Redo();
        f->editor->Redo();
        QCOMPARE(f->cell(1, kFrench), QStringLiteral("Un"));
    }

    // A font is a display choice, not a change to the strings.
    void fontChangesStayOffTheStack()
    {
        f->show({{kEnglish, 1, "One"}});
        f->editor->SftTree_ItemClick(-1, 1, win32::SftTree::AreaColumnHeader, win32::SftTree::RightButton, 0);
        f->editor->mnuColumnMenu()->hide();
        f->user->answerDialog([](QDialog &dialog) {
            auto &form = dynamic_cast<frmSelectFont &>(dialog);
            if (form.stFonts->topLevelItemCount() > 0)
                form.SelectFontRow(form.stFonts->topLevelItem(form.stFonts->topLevelItemCount() - 1)->text(0));
            form.cmdOK->click();
            return 0;
        });
        f->editor->mnuChangeFont()->trigger();
        QCOMPARE(stack().count(), 0);
        QVERIFY(!f->editor->mnuUndo()->isEnabled());
    }

    // Each project keeps its own steps; Undo follows the project shown.
    // Reading the file again or closing the project drops them.
    void eachProjectHasItsOwnStack()
    {
        f->addProject("P", {{kEnglish, 1, "One"}});
        f->addProject("Q", {{kEnglish, 1, "Alpha"}});
        f->open();
        f->select(0);
        f->type(1, kEnglish, "Uno");
        f->select(1);
        QVERIFY(!f->editor->mnuUndo()->isEnabled());
        f->type(1, kEnglish, "Beta");
        f->type(1, kEnglish, "Gamma");
        f->select(0);
        QCOMPARE(f->editor->mnuUndo()->text(), QStringLiteral("&Undo Edit String 1"));
        f->editor->Undo();
        QCOMPARE(f->cell(1, kEnglish), QStringLiteral("One"));
        f->select(1);
        QCOMPARE(stack().index(), 2);
        f->editor->Undo();
        QCOMPARE(f->cell(1, kEnglish), QStringLiteral("Beta"));

        // Refresh, agreed to, starts afresh.
        f->user->answerMsgBox(win32::vbYes);
        f->editor->toolbar_ButtonClick(f->editor->toolbarButton("refresh"));
        QCOMPARE(stack().count(), 0);
        QVERIFY(!f->editor->mnuUndo()->isEnabled());
        QVERIFY(!f->editor->mnuRedo()->isEnabled());

        // Closing the shown project leaves nothing to undo.
        f->select(0);
        f->editor->Redo();
        QCOMPARE(f->cell(1, kEnglish), QStringLiteral("Uno"));
        vbide::VBProject *hostProject = f->editor->CurrentProject()->Project();
        f->user->answerMsgBox(win32::vbNo);
        QVERIFY(f->vbe->VBProjects()->Remove(hostProject));
        QVERIFY(!f->editor->mnuUndo()->isEnabled());
        QCOMPARE(f->editor->UndoGroup()->stacks().size(), 1);
    }

    // An import through the wizard is one step, undone and redone whole.
    void importIsOneStep()
    {
        f->show({{kEnglish, 1, "One"}, {kGerman, 1, "Eins"}, {kEnglish, 2, "Two"}});
        const QList<Entry> original = entriesOf(f->file());
        const QString book = f->path("Book.xlsx");
        // Export, then change the workbook's texts by a second project's export.
        const auto wizard = [this, book](bool import) {
            f->user->answerDialog([import, book](QDialog &dialog) {
                auto &form = dynamic_cast<frmExcel &>(dialog);
                (import ? form.optImport : form.optExport)->click();
                form.cmdNext->click();
                form.txtFilename->setText(book);
                form.cmdNext->click();
                form.cmdNext->click();
                form.cmdStart->click();
                form.cmdFinish->click();
                return int(QDialog::Accepted);
            });
            f->editor->toolbar_ButtonClick(f->editor->toolbarButton("excel"));
        };
        f->type(1, kEnglish, "Changed");
        f->type(2, kGerman, "Zwei");
        wizard(false);
        QCOMPARE(stack().count(), 2);  // an export is not a step
        f->editor->Undo();
        f->editor->Undo();
        QVERIFY(sameEntries(entriesOf(f->file()), original));
        wizard(true);
        QCOMPARE(f->editor->mnuUndo()->text(), QStringLiteral("&Undo Import Strings"));
        QCOMPARE(f->cell(1, kEnglish), QStringLiteral("Changed"));
        QCOMPARE(f->cell(2, kGerman), QStringLiteral("Zwei"));
        const QList<Entry> imported = entriesOf(f->file());
        f->editor->Undo();
        QVERIFY(sameEntries(entriesOf(f->file()), original));
        QCOMPARE(f->cell(1, kEnglish), QStringLiteral("One"));
        QVERIFY(!f->marked());
        f->editor->Redo();
        QVERIFY(sameEntries(entriesOf(f->file()), imported));
        QCOMPARE(f->cell(2, kGerman), QStringLiteral("Zwei"));
    }

    // The menu in the host's menu bar has Undo and Redo first, with the keys,
    // and the steps' names follow the UI language.
    // The entries of one menu whose access key another entry has too.
    static QString duplicateAccessKeys(const QMenu &menu)
    {
        QHash<QChar, QStringList> byKey;
        for (const QAction *action : menu.actions()) {
            const QString text = action->text();
            for (qsizetype i = 0; i + 1 < text.size(); ++i) {
                if (text[i] != u'&')
                    continue;
                if (text[i + 1] != u'&')
                    byKey[text[i + 1].toLower()] << text;
                ++i;
            }
        }
        QStringList shared;
        for (auto it = byKey.cbegin(); it != byKey.cend(); ++it)
            if (it.value().size() > 1)
                shared << it.key() + QStringLiteral(": ") + it.value().join(QStringLiteral(", "));
        return shared.join(u'\n');
    }

    void menuEntriesAndGermanTexts()
    {
        QMenuBar bar;  // the host's menu bar, where the editor adds its menu
        f->vbe->CommandBars()->Add(QStringLiteral("Menu Bar"), &bar);
        f->show({{kEnglish, 1, "One"}, {kGerman, 1, "Eins"}});
        vbide::CommandBarPopup *menu = f->editor->CommandMenu();
        QVERIFY(menu);
        const QList<QAction *> actions = menu->menu()->actions();
        QCOMPARE(actions.value(0), f->editor->mnuUndo());
        QCOMPARE(actions.value(1), f->editor->mnuRedo());
        QVERIFY(actions.contains(f->editor->mnuCopy()));
        QVERIFY(actions.contains(f->editor->mnuPaste()));
        QVERIFY(f->editor->mnuRedo()->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
        QVERIFY(f->editor->mnuUndo()->toolTip().contains(QStringLiteral("Ctrl+Z")));

        QVERIFY2(duplicateAccessKeys(*menu->menu()).isEmpty(), qPrintable(duplicateAccessKeys(*menu->menu())));

        removeLanguageFromColumnMenu(kGerman);
        setUILanguage(kGerman);
        QVERIFY2(duplicateAccessKeys(*menu->menu()).isEmpty(), qPrintable(duplicateAccessKeys(*menu->menu())));
        // The menu names the keys as a German keyboard labels them, as the tooltips do.
        QCOMPARE(f->editor->mnuUndo()->shortcut().toString(QKeySequence::NativeText), QStringLiteral("Strg+Z"));
        QVERIFY(f->editor->mnuUndo()->toolTip().contains(QStringLiteral("Strg+Z")));
        QVERIFY2(f->editor->mnuUndo()->text().startsWith(QStringLiteral("&Rückgängig: Sprache ")),
                 qPrintable(f->editor->mnuUndo()->text()));
        QVERIFY(f->editor->mnuUndo()->text().endsWith(QStringLiteral(" entfernen")));
        QCOMPARE(f->editor->mnuRedo()->text(), QStringLiteral("&Wiederholen"));
        f->editor->Undo();
        QVERIFY(f->editor->mnuRedo()->text().startsWith(QStringLiteral("&Wiederholen: Sprache ")));
        setUILanguage(kEnglish);
        QVERIFY(f->editor->mnuRedo()->text().startsWith(QStringLiteral("Re&do Remove Language ")));
    }
};

QTEST_MAIN(EditorUndoTest)
#include "editor_undo_test.moc"
