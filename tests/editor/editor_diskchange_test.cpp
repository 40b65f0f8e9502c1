#include "tests/editor/EditorFixture.h"

#include "editor/MergeConflictsDialog.h"
#include "platform/win32/SftTreeCellEditor.h"

#include <QTableWidget>
#include <QUndoStack>
#include <QtTest>

using namespace editortest;

// Saving a resource file that another program (a second host, `quillmark
// set`) changed since the editor read it: the other program's changes are
// merged in first, cell by cell. Where the file on disk cannot be read, the
// user is asked first, and keeps their version, takes the other one, or saves
// nothing. Saves and creations that fail are told plainly, without a program
// error report.
class EditorDiskChangeTest : public EditorFixture {
    Q_OBJECT
private:
    QString res() const { return path("P.res"); }
    const QList<Entry> mine{{2057, 1, "Uno"}, {2057, 2, "Two"}};
    const QList<Entry> theirs{{2057, 1, "One"}, {2057, 2, "Zwei"}, {2057, 3, "Three"}};

    void type(qint32 id, const QString &text)
    {
        const int row = grid().findItemData(id);
        QVERIFY(row >= 0);
        m_editor->SftTree_ItemClick(row, columnOf(2057), win32::SftTree::AreaCellText, win32::SftTree::LeftButton, 0);
        QVERIFY(grid().isEditing());
        grid().cellEditor()->setText(text);
        QVERIFY(grid().endEdit(true));
    }
    // The project shows One and Two, the user typed Uno, and another program then saved its own version.
    void editWhileAnotherProgramSaves()
    {
        show({{2057, 1, "One"}, {2057, 2, "Two"}});
        type(1, QStringLiteral("Uno"));
        writeRes(res(), theirs);
    }
    const QByteArray unreadable = QByteArrayLiteral("half a resource file");
    // The same, but what the other program left cannot be read (yet).
    void editWhileAnotherProgramLeavesAnUnreadableFile()
    {
        show({{2057, 1, "One"}, {2057, 2, "Two"}});
        type(1, QStringLiteral("Uno"));
        writeFile(res(), unreadable);
    }
    QString question(int choiceId) const
    {
        return LgvStringModule::lgv_string(630) + '\n' + QDir::toNativeSeparators(res()) + '\n'
               + LgvStringModule::lgv_string(choiceId);
    }
    QList<Entry> shown()
    {
        QList<Entry> entries;
        for (int row = 0; row < grid().itemCount(); ++row)
            entries.append({2057, grid().itemData(row), grid().cellText(row, columnOf(2057))});
        return entries;
    }
    static bool same(const QList<Entry> &a, const QList<Entry> &b)
    {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i)
            if (a[i].localeId != b[i].localeId || a[i].id != b[i].id || a[i].text != b[i].text)
                return false;
        return true;
    }

private slots:
    void init() { setUpEditor(); }
    void cleanup() { tearDownEditor(); }

    // Mine changed cell 1, theirs cell 2 and added 3: the save keeps all three, unasked.
    void aSaveOverAChangedFileMergesItFirst()
    {
        editWhileAnotherProgramSaves();
        // What the merge starts from costs the cell changed, not a copy of the file.
        QCOMPARE(file().Strings().KeptTexts().size(), 1);
        m_editor->SaveResFile();
        QVERIFY(m_user->messageBoxes.isEmpty());
        QVERIFY(file().Strings().KeptTexts().isEmpty());
        const QList<Entry> merged{{2057, 1, "Uno"}, {2057, 2, "Zwei"}, {2057, 3, "Three"}};
        QVERIFY(same(readRes(res()), merged));
        QVERIFY(same(shown(), merged));
        QVERIFY(!file().Changed());
        // The merge is a step of its own: undone, theirs' texts go again, unsaved.
        QUndoStack *stack = m_editor->CurrentProject()->UndoStack();
        QCOMPARE(stack->count(), 2);
        m_editor->Undo();
        QVERIFY(same(shown(), {{2057, 1, "Uno"}, {2057, 2, "Two"}}));
        QVERIFY(file().Changed());
        m_editor->Redo();
        QVERIFY(same(shown(), merged));
        QVERIFY(!file().Changed());
    }

    void aSaveOverAnUnreadableChangeAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes keeps mine") << int(win32::vbYes);
        QTest::newRow("No reloads theirs") << int(win32::vbNo);
        QTest::newRow("Cancel saves nothing") << int(win32::vbCancel);
    }
    void aSaveOverAnUnreadableChangeAsksFirst()
    {
        QFETCH(int, answer);
        editWhileAnotherProgramLeavesAnUnreadableFile();
        m_user->answerMsgBox(answer);
        if (answer == win32::vbNo)
            m_user->answerMsgBox(win32::vbOK);  // read again, it is told to be unreadable
        m_editor->SaveResFile();
        QCOMPARE(m_user->messageBoxes.size(), answer == win32::vbNo ? 2 : 1);
        QCOMPARE(m_user->messageBoxes[0].prompt, question(631));
        QCOMPARE(m_user->messageBoxes[0].style,
                 win32::vbYesNoCancel | win32::vbExclamation | win32::vbDefaultButton3);
        QCOMPARE(m_user->messageBoxes[0].title, QStringLiteral("Quill Resource String Editor"));
        if (answer == win32::vbYes) {
            QVERIFY(same(readRes(res()), mine));
            QVERIFY(!file().Changed());
        } else if (answer == win32::vbNo) {
            QCOMPARE(readFile(res()), unreadable);
            QVERIFY(m_editor->CurrentProject()->ResourceFileUnreadable());
            QCOMPARE(m_editor->CurrentProject()->UndoStack()->count(), 0);
            return;
        } else {
            QCOMPARE(readFile(res()), unreadable);
            QVERIFY(same(shown(), mine));
            QVERIFY(file().Changed());
        }
        // What is on disk now is the version the editor knows: the next save asks nothing.
        if (answer == win32::vbCancel)
            m_user->answerMsgBox(win32::vbYes);
        type(2, QStringLiteral("Dos"));
        m_editor->SaveResFile();
        type(2, QStringLiteral("Deux"));
        m_editor->SaveResFile();
        QCOMPARE(m_user->messageBoxes.size(), answer == win32::vbCancel ? 2 : 1);
        QCOMPARE(textIn(readRes(res()), 2057, 2), QStringLiteral("Deux"));
    }

    // A file that is gone holds nothing to lose: saving writes it again, unasked.
    void aFileRemovedSinceReadingIsSavedWithoutAQuestion()
    {
        show({{2057, 1, "One"}});
        type(1, QStringLiteral("Uno"));
        QVERIFY(QFile::remove(res()));
        m_editor->SaveResFile();
        QVERIFY(m_user->messageBoxes.isEmpty());
        QCOMPARE(textIn(readRes(res()), 2057, 1), QStringLiteral("Uno"));
    }

    // Closing: Yes to saving merges the other program's changes in and saves.
    void closingAfterAnotherProgramSavedMergesBeforeSaving()
    {
        editWhileAnotherProgramSaves();
        m_user->answerMsgBox(win32::vbYes);
        QVERIFY(m_editor->QueryClose({m_editor->CurrentProject()->Project()}, false));
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QVERIFY(same(readRes(res()), {{2057, 1, "Uno"}, {2057, 2, "Zwei"}, {2057, 3, "Three"}}));
    }

    // Closing with cells both changed: the conflicts are asked about; Cancel
    // there keeps the project open, the edits and their file as they were.
    void closingWithConflictsAsksAboutThemAndMayStayOpen()
    {
        show({{2057, 1, "One"}});
        type(1, QStringLiteral("Uno"));
        writeRes(res(), {{2057, 1, "Eins"}});
        m_user->answerMsgBox(win32::vbYes);
        int conflicts = -1;
        m_user->answerDialog([&](QDialog &dialog) {
            conflicts = static_cast<MergeConflictsDialog &>(dialog).table()->rowCount();
            return int(QDialog::Rejected);
        });
        QVERIFY(!m_editor->QueryClose({m_editor->CurrentProject()->Project()}, false));
        QCOMPARE(conflicts, 1);
        QCOMPARE(m_user->messageBoxes.size(), 1);
        QCOMPARE(textIn(readRes(res()), 2057, 1), QStringLiteral("Eins"));
        QCOMPARE(grid().cellText(0, columnOf(2057)), QStringLiteral("Uno"));
        QVERIFY(file().Changed());
    }

    // Closing over a file that cannot be read: Yes to saving, then the
    // question about the other version; Cancel keeps the project open, No
    // closes it and leaves their file.
    void closingAfterAnotherProgramSavedAsksBeforeWritingOverIt_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("mayClose");
        QTest::addColumn<bool>("mineOnDisk");
        QTest::newRow("Yes") << int(win32::vbYes) << true << true;
        QTest::newRow("No") << int(win32::vbNo) << true << false;
        QTest::newRow("Cancel") << int(win32::vbCancel) << false << false;
    }
    void closingAfterAnotherProgramSavedAsksBeforeWritingOverIt()
    {
        QFETCH(int, answer);
        QFETCH(bool, mayClose);
        QFETCH(bool, mineOnDisk);
        editWhileAnotherProgramLeavesAnUnreadableFile();
        m_user->answerMsgBox(win32::vbYes);
        m_user->answerMsgBox(answer);
        QCOMPARE(m_editor->QueryClose({m_editor->CurrentProject()->Project()}, false), mayClose);
        QCOMPARE(m_user->messageBoxes.size(), 2);
        QCOMPARE(m_user->messageBoxes[1].prompt, question(632));
        QCOMPARE(m_user->messageBoxes[1].style, win32::vbYesNoCancel | win32::vbExclamation | win32::vbDefaultButton3);
        if (mineOnDisk)
            QVERIFY(same(readRes(res()), mine));
        else
            QCOMPARE(readFile(res()), unreadable);
        QCOMPARE(file().Changed(), !mineOnDisk);
        // Closing the project for good when the host gives no choice: Yes and No only.
        if (!mayClose) {
            m_user->answerMsgBox(win32::vbYes);
            m_user->answerMsgBox(win32::vbNo);
            m_editor->SaveChangedResourceFiles();
            QCOMPARE(m_user->messageBoxes.size(), 4);
            QCOMPARE(m_user->messageBoxes[3].style, win32::vbYesNo | win32::vbExclamation);
            QCOMPARE(readFile(res()), unreadable);
        }
    }

    // A file that cannot be written is told plainly, and the edits stay.
    void aFailedSaveIsToldAndKeepsTheEdits()
    {
        show({{2057, 1, "One"}});
        type(1, QStringLiteral("Uno"));
        // A folder in the file's place cannot be written over, not even by root.
        QVERIFY(QFile::remove(res()));
        QVERIFY(QDir().mkdir(res()));
        m_user->answerMsgBox(win32::vbOK);
        m_editor->SaveResFile();
        QVERIFY(m_user->errors.isEmpty());
        QCOMPARE(m_user->messageBoxes.size(), 1);
        const QString told = m_user->messageBoxes[0].prompt;
        QVERIFY2(told.startsWith(LgvStringModule::lgv_string(633) + '\n' + QDir::toNativeSeparators(res())),
                 qPrintable(told));
        QCOMPARE(m_user->messageBoxes[0].style, win32::vbOKOnly | win32::vbExclamation);
        QVERIFY(file().Changed());
        QCOMPARE(grid().cellText(0, columnOf(2057)), QStringLiteral("Uno"));
        QVERIFY(QDir().rmdir(res()));
        m_editor->SaveResFile();
        QCOMPARE(textIn(readRes(res()), 2057, 1), QStringLiteral("Uno"));
    }
};

QTEST_MAIN(EditorDiskChangeTest)
#include "editor_diskchange_test.moc"
