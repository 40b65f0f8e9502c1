#include "editor/EditorCommands.h"
#include "editor/FindBar.h"
#include "editor/StringNotesDialog.h"
#include "editor/StringTableModel.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "reviewstate/ReviewStates.h"
#include "tests/editor/EditorFixture.h"
#include "tests/testlib/EventRounds.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QSpinBox>
#include <QUndoStack>
#include <QtTest>

using namespace editortest;
using reviewstate::State;
using win32::SftTree;

// Review states in the editor: translations marked when their source text
// changes, Mark as Done and the walk over unfinished cells with their keys,
// the figures per language, the "Needs review" filter, and the notes for
// translators with the maximum length they set.
class EditorStatesTest : public EditorFixture {
    Q_OBJECT
private:
    const QList<Entry> kStrings{{2057, 1, "Exit"},  {1031, 1, "Beenden"}, {1036, 1, "Quitter"},
                                {2057, 2, "Open"},  {1031, 2, "Öffnen"},  {1036, 2, "Ouvrir"},
                                {2057, 3, "Save"},  {1036, 3, "Enregistrer"}};

    int row(qint32 id) { return grid().findItemData(id); }
    std::optional<State> state(qint32 id, qint32 localeId) { return m_editor->Table()->reviewState(row(id), columnOf(localeId)); }
    QModelIndex cell(qint32 id, qint32 localeId) { return grid().model()->index(row(id), columnOf(localeId)); }
    void type(qint32 id, qint32 localeId, const QString &text)
    {
        m_editor->SftTree_ItemClick(row(id), columnOf(localeId), SftTree::AreaCellText, SftTree::LeftButton, 0);
        QVERIFY(grid().isEditing());
        grid().cellEditor()->setText(text);
        QVERIFY(grid().endEdit(true));
    }
    QString stateFile() const { return QString::fromUtf8(readFile(path("P.res.state"))); }

private slots:
    void init() { setUpEditor(); }
    void cleanup() { tearDownEditor(); }

    void aChangedSourceTextMarksItsTranslationsUntilTheyAreDone()
    {
        show(kStrings);  // no state file beside it: every text counts as translated
        QCOMPARE(state(1, 1031), State::Translated);
        type(1, 2057, QStringLiteral("Quit"));
        QCOMPARE(state(1, 1031), State::NeedsReview);
        QCOMPARE(state(1, 1036), State::NeedsReview);
        QCOMPARE(state(2, 1031), State::Translated);
        QVERIFY(!state(1, 2057).has_value() || *state(1, 2057) != State::NeedsReview);
        // A mark that is not colour alone, and words for it.
        QVERIFY(cell(1, 1031).data(Qt::DecorationRole).value<QPixmap>().width() > 0);
        QVERIFY(!cell(2, 1031).data(Qt::DecorationRole).isValid());
        QCOMPARE(cell(1, 1031).data(Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("Needs review: the source text changed since this was translated"));
        QCOMPARE(cell(1, 1031).data(StringTableModel::ReviewStateRole).toInt(), int(State::NeedsReview));

        // The walk goes to what is missing or to review, in the current language only.
        grid().setCurrentCell(row(2), columnOf(1031));
        QVERIFY(m_editor->GoToUnfinished(false));
        QCOMPARE(grid().currentRow(), row(3));  // German has no text for 3
        QCOMPARE(grid().selectedRow(), row(3));
        QVERIFY(!m_editor->GoToUnfinished(false));
        QCOMPARE(m_editor->StateStatus(), QStringLiteral("No unfinished translation further down in German (Germany)"));
        QVERIFY(m_editor->GoToUnfinished(true));  // past 2, which is done
        QCOMPARE(grid().currentRow(), row(1));
        QM_TRY_COMPARE(m_editor->StateStatus(), QStringLiteral("German (Germany): 1 of 3 done, 1 to review, 1 missing"));

        // Done is one undo step, and moves on to the next unfinished cell.
        m_editor->MarkDone();
        QCOMPARE(state(1, 1031), State::Approved);
        QCOMPARE(grid().currentRow(), row(3));
        QCOMPARE(m_editor->CurrentProject()->UndoStack()->undoText(), QStringLiteral("Mark String 1 Done"));
        QM_TRY_COMPARE(m_editor->StateStatus(), QStringLiteral("German (Germany): 2 of 3 done, 0 to review, 1 missing"));
        m_editor->Undo();
        QCOMPARE(state(1, 1031), State::NeedsReview);
        m_editor->Redo();
        QCOMPARE(state(1, 1031), State::Approved);
        // A missing translation cannot be done.
        m_editor->MarkDone();
        QCOMPARE(m_editor->StateStatus(), QStringLiteral("A missing translation cannot be marked done: type it first."));
        QCOMPARE(m_editor->CurrentProject()->UndoStack()->undoText(), QStringLiteral("Mark String 1 Done"));

        // Undoing the source text brings the translations back to what they were.
        m_editor->Undo();
        m_editor->Undo();
        QCOMPARE(state(1, 1036), State::Translated);
        QCOMPARE(state(1, 1031), State::Translated);
    }

    void theHeaderTipAndTheFilterCountWhatIsLeft()
    {
        show(kStrings);
        type(1, 2057, QStringLiteral("Quit"));
        QCOMPARE(m_editor->LanguageStatistics(columnOf(1036)),
                 QStringLiteral("Done: 2 strings, 2 words\nTo review: 1 strings, 1 words\nMissing: 0 strings, 0 words"));
        QVERIFY(grid().model()->headerData(columnOf(1036), Qt::Horizontal, Qt::ToolTipRole)
                    .toString()
                    .endsWith(QStringLiteral("To review: 1 strings, 1 words\nMissing: 0 strings, 0 words")));
        QVERIFY(m_editor->LanguageStatistics(columnOf(2057)).isEmpty());  // the source has nothing to review

        m_editor->ShowFindBar();
        m_editor->chkNeedsReview()->setChecked(true);
        m_editor->ApplyRowFilter();
        QCOMPARE(grid().shownItemCount(), 1);
        QCOMPARE(grid().itemAtPosition(0), row(1));
        grid().setCurrentCell(row(1), columnOf(1031));
        m_editor->MarkDone();
        grid().setCurrentCell(row(1), columnOf(1036));
        m_editor->MarkDone();
        m_editor->ApplyRowFilter();
        QCOMPARE(grid().shownItemCount(), 0);
    }

    void statesAreSavedBesideTheFileAndReadBack()
    {
        show(kStrings);
        type(1, 2057, QStringLiteral("Quit"));
        grid().setCurrentCell(row(1), columnOf(1031));
        m_editor->MarkDone();
        m_editor->SaveResFile();
        const QStringList before = stateFile().split(QLatin1Char('\n'));
        QVERIFY(before.size() > 8);

        m_editor->Refresh();
        QCOMPARE(state(1, 1031), State::Approved);
        QCOMPARE(state(1, 1036), State::NeedsReview);  // the source changed before the first save
        grid().setCurrentCell(row(1), columnOf(1036));
        m_editor->MarkDone();
        m_editor->SaveResFile();
        // One cell changed: one line of the file.
        const QStringList after = stateFile().split(QLatin1Char('\n'));
        QCOMPARE(after.size(), before.size());
        int changed = 0;
        for (int i = 0; i < after.size(); ++i)
            changed += after[i] != before[i] ? 1 : 0;
        QCOMPARE(changed, 1);
    }

    void notesForTranslatorsAndTheirMaximumLength()
    {
        show(kStrings);
        grid().setCurrentCell(row(3), 0);
        m_user->answerDialog([](QDialog &dialog) {
            auto &notes = static_cast<StringNotesDialog &>(dialog);
            notes.comment()->setText(QStringLiteral("  File menu, next to Open  "));
            notes.maxLength()->setValue(8);
            return QDialog::Accepted;
        });
        m_editor->EditStringNotes();
        const QModelIndex id = grid().model()->index(row(3), 0);
        QVERIFY(id.data(Qt::ToolTipRole).toString().startsWith(
            QStringLiteral("Comment: File menu, next to Open\nAt most 8 characters")));
        // "Enregistrer" has 11 characters.
        QCOMPARE(m_editor->CellProblems(row(3), columnOf(1036)), QStringLiteral("Too long: 11 characters, at most 8"));
        QVERIFY(m_editor->CellProblems(row(3), columnOf(2057)).isEmpty());
        m_editor->Undo();
        QVERIFY(!m_editor->CellHasProblem(row(3), columnOf(1036)));
        QVERIFY(!grid().model()->index(row(3), 0).data(Qt::ToolTipRole).toString().contains(QStringLiteral("Comment")));
        m_editor->Redo();
        m_editor->SaveResFile();
        QVERIFY(stateFile().contains(QStringLiteral("File menu, next to Open")));
    }

    void theKeysWorkOnTheShownGrid()
    {
        show(kStrings);
        type(2, 2057, QStringLiteral("Open file"));
        m_editor->show();
        QVERIFY(testlib::waitForActive(m_editor.get()));
        grid().setFocus();
        grid().setCurrentCell(row(1), columnOf(1036));
        QTest::keyClick(&grid(), Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(grid().currentRow(), row(2));
        QTest::keyClick(&grid(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!grid().isEditing());
        QCOMPARE(state(2, 1036), State::Approved);
        QTest::keyClick(&grid(), Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(grid().currentRow(), row(2));  // nothing above is unfinished
        // Inside the cell editor Ctrl+Enter still types a line break.
        QTest::keyClick(&grid(), Qt::Key_Return);
        QVERIFY(grid().isEditing());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(grid().isEditing());
        QVERIFY(grid().cellEditor()->text().contains(QLatin1Char('\n')));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);

        // The commands are in the editor's menu with their keys.
        QCOMPARE(m_editor->command(EditorCommand::MarkDone)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Return")));
        QCOMPARE(m_editor->command(EditorCommand::NextUnfinished)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Down")));
    }

    void theNotesDialogIsNamedForAssistiveTools()
    {
        StringNotesDialog dialog(7, StringNotes{QStringLiteral("Title bar"), 0});
        dialog.show();
        QVERIFY(testlib::waitForExposed(&dialog));
        QCOMPARE(dialog.accessibleName(), QStringLiteral("Notes for Translators on String 7"));
        QCOMPARE(dialog.comment()->accessibleName(), QStringLiteral("Comment for translators:"));
        QCOMPARE(dialog.maxLength()->accessibleName(), QStringLiteral("Maximum length in characters:"));
        QCOMPARE(dialog.maxLength()->text(), QStringLiteral("None"));
        QTest::keyClick(dialog.comment(), Qt::Key_End);
        QTest::keyClicks(dialog.comment(), QStringLiteral(", short"));
        QCOMPARE(dialog.notes().comment, QStringLiteral("Title bar, short"));
        QCOMPARE(dialog.notes().maxLength, 0);
    }
};

QTEST_MAIN(EditorStatesTest)
#include "editor_states_test.moc"
