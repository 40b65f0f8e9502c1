#include "editor/DiskWatcher.h"
#include "editor/MergeConflictsDialog.h"
#include "tests/editor/EditorFixture.h"
#include "tests/testlib/EventRounds.h"
#include "tests/testlib/ShownDialogs.h"

#include "platform/win32/SftTreeCellEditor.h"
#include "reviewstate/ReviewStates.h"
#include "uistrings/LgvStringModule.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QUndoStack>
#include <QtTest>

using namespace editortest;
using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

// Another program (a second host, a pull, `quillmark import`) changes the
// resource file while the editor has it open: without unsaved edits the
// editor reads it again as one undo step, with them it merges cell by cell,
// and cells both changed are chosen in a dialog at the save.
class EditorDiskReloadTest : public EditorFixture {
    Q_OBJECT
private:
    QStringList m_statuses;
    QString res() const { return path("P.res"); }

    void watchStatus(vbide::VBE &vbe, QStringList &into)
    {
        connect(&vbe, &vbide::VBE::statusTextShown, this, [&into](const QString &text) { into.append(text); });
    }
    QString status(int id, const QString &more = QString()) const
    {
        return SubstituteParameters(lgv_string(id), QDir::toNativeSeparators(res()), more);
    }
    static void type(docResourceEditor &editor, qint32 locale, qint32 id, const QString &text)
    {
        win32::SftTree &grid = *editor.SftTree();
        const int row = grid.findItemData(id);
        QVERIFY(row >= 0);
        int column = -1;
        for (int i = 0; i <= editor.LastLanguage(); ++i)
            if (editor.Languages()[i].LocaleID == locale)
                column = editor.Languages()[i].Column;
        editor.SftTree_ItemClick(row, column, win32::SftTree::AreaCellText, win32::SftTree::LeftButton, 0);
        QVERIFY(grid.isEditing());
        grid.cellEditor()->setText(text);
        QVERIFY(grid.endEdit(true));
    }
    void type(qint32 id, const QString &text) { type(*m_editor, 2057, id, text); }
    static QString cell(docResourceEditor &editor, qint32 id, qint32 locale = 2057)
    {
        win32::SftTree &grid = *editor.SftTree();
        const int row = grid.findItemData(id);
        if (row < 0)
            return QStringLiteral("<no row>");
        for (int i = 0; i <= editor.LastLanguage(); ++i)
            if (editor.Languages()[i].LocaleID == locale)
                return grid.cellText(row, editor.Languages()[i].Column);
        return QStringLiteral("<no column>");
    }
    QString cell(qint32 id) { return cell(*m_editor, id); }
    QUndoStack &stack() { return *m_editor->CurrentProject()->UndoStack(); }

    // Picks conflicts in the dialog, shown for real, with its buttons: `pick`
    // gets the dialog and the table, then the dialog's OK or Cancel is clicked.
    void answerConflicts(std::function<void(MergeConflictsDialog &)> pick, bool ok, QStringList *unnamed = nullptr)
    {
        m_user->answerDialog([=](QDialog &dialog) {
            whenModalShown([=, &dialog](QWidget &shown) {
                QCOMPARE(&shown, &dialog);
                auto &conflicts = static_cast<MergeConflictsDialog &>(dialog);
                if (unnamed) {
                    for (QWidget *child : shown.findChildren<QWidget *>()) {
                        const bool control = qobject_cast<QAbstractButton *>(child)
                                             || qobject_cast<QAbstractItemView *>(child);
                        if (control && child->isVisible() && child->accessibleName().isEmpty())
                            unnamed->append(child->objectName() + QLatin1Char(' ') + child->metaObject()->className());
                    }
                }
                pick(conflicts);
                QTest::mouseClick(ok ? conflicts.okButton() : conflicts.cancelButton(), Qt::LeftButton);
            });
            return dialog.exec();
        });
    }
    static QStringList rowTexts(const QTableWidget &table, int row)
    {
        QStringList texts;
        for (int column = 0; column < table.columnCount(); ++column)
            texts.append(table.item(row, column)->text());
        return texts;
    }

private slots:
    void init()
    {
        setUpEditor();
        m_statuses.clear();
        watchStatus(*m_vbe, m_statuses);
    }
    void cleanup()
    {
        QCOMPARE(takeShownDialogFailures(), QStringList());
        tearDownEditor();
    }

    // Nothing unsaved: the file is read again as one step, the grid keeps its
    // place, and undo brings the texts before back as unsaved edits.
    void aChangeOnDiskIsReadAgainAsOneUndoStep()
    {
        QList<Entry> entries;
        for (qint32 id = 1; id <= 200; ++id) {
            entries.append({2057, id, QStringLiteral("Text %1").arg(id)});
            entries.append({1031, id, QStringLiteral("Text %1 de").arg(id)});
        }
        show(entries);
        type(5, QStringLiteral("Five"));
        const DiskWatcher &watcher = *m_editor->CurrentProject()->Watcher();
        const int checks = watcher.checks();
        m_editor->SaveResFile();
        // The editor's own save is no change on disk.
        QM_TRY_VERIFY(watcher.checks() > checks);
        QVERIFY(!m_statuses.contains(status(1100)));
        QCOMPARE(stack().count(), 1);

        grid().setCurrentCell(grid().findItemData(150), columnOf(1031));
        const int scrolled = grid().verticalScrollBar()->value();
        QVERIFY(scrolled > 0);
        entries[2 * 6] = {2057, 7, QStringLiteral("Seven")};
        entries.append({2057, 201, QStringLiteral("Two hundred and one")});
        entries[0] = {2057, 1, QStringLiteral("Text 1")};
        entries[2 * 4] = {2057, 5, QStringLiteral("Five")};
        writeRes(res(), entries);

        QM_TRY_VERIFY(m_statuses.contains(status(1100)));
        QCOMPARE(cell(7), QStringLiteral("Seven"));
        QCOMPARE(cell(201), QStringLiteral("Two hundred and one"));
        QCOMPARE(grid().itemData(grid().currentRow()), 150);
        QCOMPARE(grid().currentColumn(), columnOf(1031));
        QCOMPARE(grid().verticalScrollBar()->value(), scrolled);
        QVERIFY(!file().Changed());
        QCOMPARE(stack().count(), 2);
        QCOMPARE(stack().undoText(), lgv_string(1105));
        QVERIFY(m_user->messageBoxes.isEmpty());

        m_editor->Undo();
        QCOMPARE(cell(7), QStringLiteral("Text 7"));
        QCOMPARE(cell(201), QStringLiteral("<no row>"));
        QCOMPARE(cell(5), QStringLiteral("Five"));
        QVERIFY(file().Changed());
        m_editor->Undo();
        QCOMPARE(cell(5), QStringLiteral("Text 5"));
        m_editor->Redo();
        m_editor->Redo();
        QCOMPARE(cell(7), QStringLiteral("Seven"));
        QVERIFY(!file().Changed());
    }

    // A cell open for typing (Enter keeps it open) does not hold the change
    // up while nothing is typed in it; what is typed is waited for, and kept.
    void anOpenCellWaitsOnlyForWhatIsTypedInIt()
    {
        show({{2057, 1, "One"}, {2057, 2, "Two"}});
        const int row = grid().findItemData(1);
        m_editor->SftTree_ItemClick(row, columnOf(2057), win32::SftTree::AreaCellText, win32::SftTree::LeftButton, 0);
        QVERIFY(grid().isEditing());
        writeRes(res(), {{2057, 1, "One"}, {2057, 2, "Zwei"}});
        QM_TRY_COMPARE(cell(2), QStringLiteral("Zwei"));
        QVERIFY(grid().isEditing());
        QCOMPARE(grid().editRow(), row);
        QCOMPARE(grid().editColumn(), columnOf(2057));

        grid().cellEditor()->setText(QStringLiteral("Uno"));
        const DiskWatcher &watcher = *m_editor->CurrentProject()->Watcher();
        const int checks = watcher.checks();
        writeRes(res(), {{2057, 1, "One"}, {2057, 2, "Deux"}});
        QM_TRY_VERIFY(watcher.checks() > checks + 1);  // looked, and reminded
        QCOMPARE(cell(2), QStringLiteral("Zwei"));
        QCOMPARE(grid().cellEditor()->text(), QStringLiteral("Uno"));
        QVERIFY(grid().endEdit(true));
        QM_TRY_COMPARE(cell(2), QStringLiteral("Deux"));
        QCOMPARE(cell(1), QStringLiteral("Uno"));
        QVERIFY(file().Changed());
        QVERIFY(m_statuses.contains(status(1101)));
    }

    // The state file alone changed (another host approved a text): read again too.
    void aChangedStateFileIsReadAgain()
    {
        show({{2057, 1, "One"}, {1031, 1, "Eins"}});
        auto *states = reviewstate::ReviewStates::of(file());
        QVERIFY(states);
        QCOMPARE(states->state(1031, 1), reviewstate::State::Translated);
        {
            resutil::ResFile other;
            other.setFileName(res());
            reviewstate::ReviewStates *theirs = reviewstate::ReviewStates::attach(other);
            QVERIFY(other.Load().ok());
            QVERIFY(theirs->approve(1031, 1).ok());
            other.SetChanged();
            QVERIFY(other.Save(0).ok());
        }
        QM_TRY_COMPARE(states->state(1031, 1), reviewstate::State::Approved);
        QCOMPARE(stack().count(), 0);
        QVERIFY(!file().Changed());
    }

    // Removed, the file's strings stay; made again, it is read again.
    void aFileRemovedAndMadeAgainIsReadAgain()
    {
        show({{2057, 1, "One"}});
        QVERIFY(QFile::remove(res()));
        QM_TRY_VERIFY(m_statuses.contains(status(1103)));
        QCOMPARE(cell(1), QStringLiteral("One"));
        writeRes(res(), {{2057, 1, "Uno"}});
        QM_TRY_COMPARE(cell(1), QStringLiteral("Uno"));
        QVERIFY(!file().Changed());
    }

    // A file another program has left unreadable keeps what is shown.
    void anUnreadableChangeIsToldAndKeepsTheStrings()
    {
        show({{2057, 1, "One"}});
        writeFile(res(), "half a resource file");
        QM_TRY_VERIFY(std::any_of(m_statuses.begin(), m_statuses.end(), [&](const QString &text) {
            return text.startsWith(status(1104).section(QLatin1Char(':'), 0, 0));
        }));
        QCOMPARE(cell(1), QStringLiteral("One"));
        QVERIFY(m_editor->CurrentProject()->HasReadableResourceFile());
        writeRes(res(), {{2057, 1, "Eins"}});
        QM_TRY_COMPARE(cell(1), QStringLiteral("Eins"));
    }

    // A file that could not be read when the project was opened is shown once it can be.
    void aFileUnreadableAtOpeningIsShownOnceItCanBeRead()
    {
        writeFile(res(), "not yet a resource file");
        writeProject(m_dir->path(), QStringLiteral("P"), QStringLiteral("P.res"));
        QVERIFY(m_vbe->VBProjects()->AddFromFile(path("P.vbp")));
        open(QStringLiteral("P"), 0);
        QVERIFY(m_editor->CurrentProject()->ResourceFileUnreadable());
        writeRes(res(), {{2057, 1, "One"}});
        QM_TRY_VERIFY(m_editor->CurrentProject()->HasReadableResourceFile());
        QCOMPARE(cell(1), QStringLiteral("One"));
        QVERIFY(m_user->messageBoxes.isEmpty());
    }

    // Unsaved edits: a cell changed on one side takes that change, at once and as one step.
    void unsavedEditsAreMergedWithTheChangeOnDisk()
    {
        show({{2057, 1, "One"}, {2057, 2, "Two"}, {2057, 4, "Four"}});
        type(1, QStringLiteral("Uno"));
        type(4, QStringLiteral("Vier"));
        writeRes(res(), {{2057, 1, "One"}, {2057, 2, "Zwei"}, {2057, 3, "Three"}, {2057, 4, "Vier"}});
        QM_TRY_VERIFY(m_statuses.contains(status(1101)));
        QCOMPARE(cell(1), QStringLiteral("Uno"));
        QCOMPARE(cell(2), QStringLiteral("Zwei"));
        QCOMPARE(cell(3), QStringLiteral("Three"));
        QVERIFY(file().Changed());
        QCOMPARE(stack().count(), 3);
        QCOMPARE(stack().undoText(), lgv_string(1106));
        QVERIFY(m_user->messageBoxes.isEmpty());
        m_editor->Undo();
        QCOMPARE(cell(2), QStringLiteral("Two"));
        QCOMPARE(cell(1), QStringLiteral("Uno"));
        QVERIFY(file().Changed());
        m_editor->Redo();
        // The file on disk is the next merge's base: the save writes the merge as it is.
        m_editor->SaveResFile();
        QVERIFY(m_user->messageBoxes.isEmpty());
        const QList<Entry> saved = readRes(res());
        QCOMPARE(textIn(saved, 2057, 1), QStringLiteral("Uno"));
        QCOMPARE(textIn(saved, 2057, 2), QStringLiteral("Zwei"));
        QCOMPARE(textIn(saved, 2057, 3), QStringLiteral("Three"));
        QCOMPARE(textIn(saved, 2057, 4), QStringLiteral("Vier"));
        QVERIFY(!file().Changed());
    }

    // Cells changed on both sides to different texts wait, untouched, for the
    // save, which asks about them; Cancel saves nothing and asks again next time.
    void conflictsAreChosenInADialogAtTheSave_data()
    {
        QTest::addColumn<QString>("pick");
        QTest::addColumn<QString>("one");
        QTest::addColumn<QString>("two");
        QTest::newRow("mine, then theirs for the first") << "theirs first" << "Eins" << "Dos";
        QTest::newRow("all theirs") << "all theirs" << "Eins" << "Zwei";
        QTest::newRow("all theirs, then mine for the second by keyboard") << "mine second" << "Eins" << "Dos";
        QTest::newRow("cancel, then all mine") << "cancel" << "Uno" << "Dos";
    }
    void conflictsAreChosenInADialogAtTheSave()
    {
        QFETCH(QString, pick);
        QFETCH(QString, one);
        QFETCH(QString, two);
        show({{2057, 1, "One"}, {2057, 2, "Two"}, {2057, 3, "Three"}});
        type(1, QStringLiteral("Uno"));
        type(2, QStringLiteral("Dos"));
        const QList<Entry> theirs{{2057, 1, "Eins"}, {2057, 2, "Zwei"}, {2057, 3, "Drei"}};
        writeRes(res(), theirs);
        QM_TRY_VERIFY(m_statuses.contains(status(1102, QStringLiteral("2"))));
        QCOMPARE(cell(1), QStringLiteral("Uno"));
        QCOMPARE(cell(3), QStringLiteral("Three"));
        QCOMPARE(stack().count(), 2);

        QStringList unnamed;
        QList<QStringList> rows;
        answerConflicts(
            [&](MergeConflictsDialog &dialog) {
                QTableWidget &table = *dialog.table();
                for (int row = 0; row < table.rowCount(); ++row)
                    rows.append(rowTexts(table, row));
                QCOMPARE(dialog.focusWidget(), &table);
                if (pick == QLatin1String("theirs first")) {
                    table.selectRow(0);
                    QTest::mouseClick(dialog.keepTheirsButton(), Qt::LeftButton);
                } else if (pick == QLatin1String("all theirs")) {
                    QTest::mouseClick(dialog.allTheirsButton(), Qt::LeftButton);
                } else if (pick == QLatin1String("mine second")) {
                    QTest::mouseClick(dialog.allTheirsButton(), Qt::LeftButton);
                    QCOMPARE(dialog.focusWidget(), &table);
                    QVERIFY(testlib::waitForActive(&dialog));
                    QTest::keyClick(&table, Qt::Key_Down);
                    QCOMPARE(table.currentRow(), 1);
                    QTest::keyClick(&dialog, Qt::Key_M, Qt::AltModifier);
                    QM_TRY_COMPARE(dialog.chosen(1), merge::Side::Mine);  // a mnemonic clicks after its animation
                    QCOMPARE(dialog.chosen(0), merge::Side::Theirs);
                }
            },
            pick != QLatin1String("cancel"), &unnamed);
        m_editor->SaveResFile();
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char(','))));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], (QStringList{"1", LanguageTable::nameOf(2057), "One", "Uno", "Eins", lgv_string(1112)}));
        QCOMPARE(rows[1], (QStringList{"2", LanguageTable::nameOf(2057), "Two", "Dos", "Zwei", lgv_string(1112)}));
        if (pick == QLatin1String("cancel")) {
            QCOMPARE(readRes(res()).size(), 3);
            QCOMPARE(textIn(readRes(res()), 2057, 1), QStringLiteral("Eins"));
            QCOMPARE(cell(1), QStringLiteral("Uno"));
            QCOMPARE(cell(3), QStringLiteral("Three"));
            QVERIFY(file().Changed());
            QCOMPARE(stack().count(), 2);
            answerConflicts([](MergeConflictsDialog &dialog) {
                QTest::mouseClick(dialog.allMineButton(), Qt::LeftButton);
            }, true);
            m_editor->SaveResFile();
        }
        const QList<Entry> saved = readRes(res());
        QCOMPARE(textIn(saved, 2057, 1), one);
        QCOMPARE(textIn(saved, 2057, 2), two);
        QCOMPARE(textIn(saved, 2057, 3), QStringLiteral("Drei"));
        QCOMPARE(cell(1), one);
        QCOMPARE(cell(2), two);
        QCOMPARE(cell(3), QStringLiteral("Drei"));
        QVERIFY(!file().Changed());
        QCOMPARE(stack().undoText(), lgv_string(1106));
        QVERIFY(m_user->messageBoxes.isEmpty());
    }

    // Two hosts on one project, saving in turn: both edits are kept; where
    // both edited one cell, the second to save is asked and keeps its choice.
    void twoHostsSavingInTurnKeepBothEdits()
    {
        show({{2057, 1, "One"}, {2057, 2, "Two"}, {2057, 3, "Three"}});
        vbide::VBE otherHost;
        QStringList otherStatuses;
        watchStatus(otherHost, otherStatuses);
        QVERIFY(otherHost.VBProjects()->AddFromFile(path("P.vbp")));
        docResourceEditor other;
        other.resize(900, 500);
        other.setVBE(&otherHost);
        QVERIFY(other.CurrentProject());

        type(1, QStringLiteral("First host"));
        type(other, 2057, 2, QStringLiteral("Second host"));
        m_editor->SaveResFile();
        other.SaveResFile();
        QList<Entry> saved = readRes(res());
        QCOMPARE(textIn(saved, 2057, 1), QStringLiteral("First host"));
        QCOMPARE(textIn(saved, 2057, 2), QStringLiteral("Second host"));
        QCOMPARE(cell(other, 1), QStringLiteral("First host"));
        // The first, with nothing unsaved, reads the second's save again.
        QM_TRY_COMPARE(cell(2), QStringLiteral("Second host"));
        QVERIFY(!file().Changed());

        type(3, QStringLiteral("Mine, first"));
        type(other, 2057, 3, QStringLiteral("Mine, second"));
        m_editor->SaveResFile();
        answerConflicts([](MergeConflictsDialog &dialog) {
            QCOMPARE(dialog.table()->rowCount(), 1);
            QCOMPARE(dialog.table()->item(0, MergeConflictsDialog::TheirsColumn)->text(), QStringLiteral("Mine, first"));
        }, true);
        other.SaveResFile();
        saved = readRes(res());
        QCOMPARE(textIn(saved, 2057, 1), QStringLiteral("First host"));
        QCOMPARE(textIn(saved, 2057, 2), QStringLiteral("Second host"));
        QCOMPARE(textIn(saved, 2057, 3), QStringLiteral("Mine, second"));
        QM_TRY_COMPARE(cell(3), QStringLiteral("Mine, second"));
        QVERIFY(m_user->messageBoxes.isEmpty());
    }
};

QTEST_MAIN(EditorDiskReloadTest)
#include "editor_diskreload_test.moc"
