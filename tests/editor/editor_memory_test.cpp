#include "editor/EditorCommands.h"
#include "editor/MemoryService.h"
#include "editor/PretranslateDialog.h"
#include "editor/SuggestionsPane.h"
#include "editor/WordDiff.h"
#include "memory/TranslationMemory.h"
#include "reviewstate/ReviewStates.h"
#include "tests/editor/EditorFixture.h"
#include "tests/testlib/EventRounds.h"
#include "uistrings/LgvStringModule.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QSpinBox>
#include <QUndoStack>

using namespace editortest;
using LgvStringModule::lgv_string;

namespace {
constexpr qint32 kEnglish = 2057;
constexpr qint32 kGerman = 1031;
constexpr qint32 kFrench = 1036;
} // namespace

// The translation memory in the editor: the suggestions pane for the current
// cell, taking a suggestion, pre-translation, the consistency rule in the
// grid, and a memory that cannot be used.
class EditorMemoryTest : public EditorFixture {
    Q_OBJECT
    std::unique_ptr<SuggestionsPane> m_pane;

    QString memoryPath() const { return path("memory.db"); }
    void fillMemory(const std::vector<memory::Entry> &entries)
    {
        auto opened = memory::TranslationMemory::open(memoryPath());
        QVERIFY2(opened, qPrintable(opened.errorString()));
        auto added = opened.value()->add(entries);
        QVERIFY2(added, qPrintable(added.errorString()));
    }
    static memory::Entry french(const QString &source, const QString &target, const QString &file, qint32 id)
    {
        return {kEnglish, source, kFrench, target, file, id, 0};
    }
    void attachPane()
    {
        m_pane = std::make_unique<SuggestionsPane>();
        m_editor->AttachSuggestionsPane(m_pane.get());
    }
    void goTo(qint32 id, qint32 locale)
    {
        grid().setCurrentCell(grid().findItemData(id), columnOf(locale));
    }
    // The pane has the memory's answer for the current cell.
    void waitForAnswer()
    {
        // The lookup is asked once the grid has settled, and answered on the window's thread.
        QCoreApplication::processEvents();
        QM_TRY_VERIFY(!m_editor->Memory().busy() && m_pane->status()->text() != lgv_string(1206));
    }
    QUndoStack &steps() { return *m_editor->CurrentProject()->UndoStack(); }

private slots:
    void init()
    {
        setUpEditor();
        qputenv("QM_MEMORY_FILE", memoryPath().toUtf8());
    }
    void cleanup()
    {
        m_editor.reset();
        m_pane.reset();
        qunsetenv("QM_MEMORY_FILE");
        tearDownEditor();
    }

    void wordDiffMarksWords()
    {
        using K = DiffPart;
        QCOMPARE(wordDiff(u"Open file", u"Open the file"),
                 (std::vector<DiffPart>{{K::Same, "Open "}, {K::Added, "the "}, {K::Same, "file"}}));
        QCOMPARE(wordDiff(u"Save all files", u"Save files"),
                 (std::vector<DiffPart>{{K::Same, "Save "}, {K::Removed, "all "}, {K::Same, "files"}}));
        QCOMPARE(wordDiff(u"Close", u"Exit"), (std::vector<DiffPart>{{K::Removed, "Close"}, {K::Added, "Exit"}}));
        QCOMPARE(wordDiff(u"", u"New"), (std::vector<DiffPart>{{K::Added, "New"}}));
        QCOMPARE(diffHtml(wordDiff(u"A <b> B", u"A <i> B")), QStringLiteral("A &lt;<s>b</s><b>i</b>&gt; B"));
    }

    void paneShowsTheMatchesOfTheCurrentCell()
    {
        const QString other = path("Other.res");
        fillMemory({french("Open the file", "Ouvrir le fichier", other, 7),
                    french("Open the old file", "Ouvrir l'ancien fichier", other, 8),
                    french("Print the page", "Imprimer la page", other, 9)});
        show({{kEnglish, 1, "Open the file"}, {kGerman, 1, "Datei öffnen"}, {kEnglish, 2, "Quit"},
              {kFrench, 3, "Aide"}, {kEnglish, 3, "Help"}});
        attachPane();
        goTo(1, kFrench);
        waitForAnswer();
        const std::vector<memory::Suggestion> &shown = m_pane->suggestions();
        QCOMPARE(shown.size(), std::size_t(2));
        QCOMPARE(shown[0].text, QStringLiteral("Ouvrir le fichier"));
        QCOMPARE(shown[0].percent, 100);
        QVERIFY(shown[1].percent < 100 && shown[1].percent >= 70);
        QCOMPARE(m_pane->list()->count(), 2);
        auto *first = qobject_cast<QLabel *>(m_pane->list()->itemWidget(m_pane->list()->item(0)));
        QVERIFY(first);
        QVERIFY2(first->text().contains("100%") && first->text().contains("Other.res, string 7"), qPrintable(first->text()));
        // The stored source has an "old" the cell's source lacks: struck through, and said.
        auto *second = qobject_cast<QLabel *>(m_pane->list()->itemWidget(m_pane->list()->item(1)));
        QVERIFY2(second->text().contains("<s>old </s>"), qPrintable(second->text()));
        const QString description = m_pane->list()->item(1)->data(Qt::AccessibleDescriptionRole).toString();
        QVERIFY2(description.contains("Open the old file") && description.contains("\"old\""), qPrintable(description));
        QCOMPARE(m_pane->list()->item(0)->data(Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Suggestion 1, 100%: Ouvrir le fichier"));
        // The row's other languages, for reference.
        QVERIFY(m_pane->referenceText().contains(LanguageTable::nameOf(kGerman) + ": Datei öffnen"));
        QVERIFY(m_pane->referenceText().contains("Open the file"));
        QVERIFY(m_editor->mnuTakeSuggestion(2)->isEnabled());
        QVERIFY(!m_editor->mnuTakeSuggestion(3)->isEnabled());

        // The source column and a row the memory knows nothing of.
        goTo(1, kEnglish);
        QM_TRY_VERIFY(m_pane->suggestions().empty() && m_pane->status()->text() == lgv_string(1205));
        goTo(2, kFrench);
        waitForAnswer();
        QVERIFY(m_pane->suggestions().empty());
        QCOMPARE(m_pane->status()->text(), lgv_string(1207));
    }

    void ctrl2TakesTheSecondSuggestionAsOneStep()
    {
        fillMemory({french("Open the file", "Ouvrir le fichier", QString(), -1),
                    french("Open the old file", "Ouvrir un fichier", QString(), -1)});
        show({{kEnglish, 1, "Open the file"}, {kFrench, 2, "Annuler"}, {kEnglish, 2, "Cancel"}});
        attachPane();
        m_editor->show();
        QVERIFY(testlib::waitForExposed(m_editor.get()));
        goTo(1, kFrench);
        grid().setFocus();
        waitForAnswer();
        QCOMPARE(m_pane->suggestions().size(), std::size_t(2));
        const int before = steps().index();
        QTest::keyClick(&grid(), Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(file().Strings().TextOf(kFrench, 1), QStringLiteral("Ouvrir un fichier"));
        QCOMPARE(steps().index(), before + 1);
        QVERIFY(file().Changed());
        // Ctrl+9 without a ninth suggestion changes nothing.
        QTest::keyClick(&grid(), Qt::Key_9, Qt::ControlModifier);
        QCOMPARE(steps().index(), before + 1);
        m_editor->Undo();
        QVERIFY(file().Strings().TextOf(kFrench, 1).isEmpty());
        QVERIFY(!file().Changed());
        // Taken from the pane itself too.
        emit m_pane->list()->itemActivated(m_pane->list()->item(0));
        QCOMPARE(file().Strings().TextOf(kFrench, 1), QStringLiteral("Ouvrir le fichier"));
    }

    void pretranslateFillsEmptyCellsInOneStepNeedingReview()
    {
        fillMemory({french("&Open...", "Ouvrir", QString(), -1), french("Cancel", "Annuler", QString(), -1),
                    french("Save the file", "Enregistrer le fichier", QString(), -1)});
        show({{kEnglish, 1, "Open"}, {kEnglish, 2, "Cancel"}, {kEnglish, 3, "Save a file"}, {kEnglish, 4, "Nothing known"},
              {kFrench, 2, "Abandonner"}, {kGerman, 1, "Öffnen"}});
        const auto runWith = [&](int minimum) {
            m_user->answerDialog([minimum](QDialog &dialog) {
                auto &chosen = static_cast<PretranslateDialog &>(dialog);
                chosen.languages()->setCurrentIndex(chosen.languages()->findData(kFrench));
                chosen.match()->setValue(minimum);
                return int(QDialog::Accepted);
            });
            m_editor->command(EditorCommand::Pretranslate)->trigger();
            QM_TRY_VERIFY(!m_editor->Pretranslating());
        };
        const int before = steps().index();
        runWith(100);
        // Exact matches only, with the text's own access key and ellipsis; a text the language has stays.
        QCOMPARE(file().Strings().TextOf(kFrench, 1), QStringLiteral("Ouvrir"));
        QCOMPARE(file().Strings().TextOf(kFrench, 2), QStringLiteral("Abandonner"));
        QVERIFY(file().Strings().TextOf(kFrench, 3).isEmpty());
        QCOMPARE(steps().index(), before + 1);
        auto *states = reviewstate::ReviewStates::of(file());
        QVERIFY(states);
        QCOMPARE(states->state(kFrench, 1), reviewstate::State::NeedsReview);
        QVERIFY(m_editor->MemoryStatus().contains("1 of 3"));

        // Lower: the fuzzy match fills the rest, in one more step; undone, only it goes.
        runWith(75);
        QCOMPARE(file().Strings().TextOf(kFrench, 3), QStringLiteral("Enregistrer le fichier"));
        QVERIFY(file().Strings().TextOf(kFrench, 4).isEmpty());
        QCOMPARE(states->state(kFrench, 3), reviewstate::State::NeedsReview);
        QCOMPARE(steps().index(), before + 2);
        m_editor->Undo();
        QVERIFY(file().Strings().TextOf(kFrench, 3).isEmpty());
        QCOMPARE(file().Strings().TextOf(kFrench, 1), QStringLiteral("Ouvrir"));
        // Done again, it needs review again.
        m_editor->Redo();
        QCOMPARE(file().Strings().TextOf(kFrench, 3), QStringLiteral("Enregistrer le fichier"));
        QCOMPARE(states->state(kFrench, 3), reviewstate::State::NeedsReview);
        m_editor->Undo();

        // Nothing left the memory knows: told, and no step.
        m_user->answerMsgBox(win32::vbOK);
        runWith(100);
        QCOMPARE(steps().index(), before + 1);
        QVERIFY(m_user->messageBoxes.last().prompt.contains("nothing was filled"));
    }

    void translatingOpenTwoWaysMarksBoth()
    {
        show({{kEnglish, 1, "Open"}, {kEnglish, 2, "Open"}, {kEnglish, 3, "Close"}});
        const int french = columnOf(kFrench) >= 0 ? columnOf(kFrench) : -1;
        QCOMPARE(french, -1);
        m_editor->Table()->insertLanguage(kFrench, LanguageTable::nameOf(kFrench));
        const int column = columnOf(kFrench);
        const auto type = [&](qint32 id, const QString &text) {
            QString typed = text;
            m_editor->SftTree_AfterEdit(typed, grid().findItemData(id), column);
            QCoreApplication::processEvents();
        };
        const int row2 = grid().findItemData(2);
        type(1, "Ouvrir");
        type(2, "Ouvrir");
        QVERIFY(!m_editor->CellHasProblem(row2, column));
        type(2, "Ouvre");
        QVERIFY(m_editor->CellHasProblem(row2, column));
        const QString note = m_editor->CellProblems(row2, column);
        QVERIFY2(note.startsWith(lgv_string(1200) + ": ") && note.contains("string 1"), qPrintable(note));
        QCOMPARE(grid().source().data(grid().source().index(row2, column), win32::SftTreeSource::CellNoteRole).toString(),
                 note);
        // Different sources, one translation: the other rule of the two.
        type(3, "Ouvrir");
        QVERIFY(m_editor->CellProblems(grid().findItemData(3), column).contains(lgv_string(1202).section('%', 0, 0)));
        type(2, "Ouvrir");
        type(3, "Fermer");
        QVERIFY(!m_editor->CellHasProblem(row2, column));
        QVERIFY(!m_editor->CellHasProblem(grid().findItemData(3), column));
        QCOMPARE(m_editor->CheckRuleName(int(checks::Rule::Inconsistent)), lgv_string(1200));
    }

    void paneIsShownWithAccessibleNames()
    {
        fillMemory({french("Print", "Imprimer", path("Other.res"), 3)});
        show({{kEnglish, 1, "Print"}, {kEnglish, 2, "Help"}, {kFrench, 2, "Aide"}});
        attachPane();
        m_pane->resize(360, 300);
        m_pane->show();
        QVERIFY(testlib::waitForExposed(m_pane.get()));
        goTo(1, kFrench);
        waitForAnswer();
        QCOMPARE(m_pane->list()->count(), 1);
        QCOMPARE(m_pane->accessibleName(), lgv_string(1203));
        QVERIFY(!m_pane->accessibleDescription().isEmpty());
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(m_pane->list());
        QVERIFY(list);
        QCOMPARE(list->text(QAccessible::Name), lgv_string(1203));
        QAccessibleInterface *item = list->child(0);
        QVERIFY(item);
        QCOMPARE(item->text(QAccessible::Name), QStringLiteral("Suggestion 1, 100%: Imprimer"));
        QVERIFY(item->text(QAccessible::Description).contains("Other.res, string 3"));
        for (QAction *take : {m_editor->mnuTakeSuggestion(1), m_editor->mnuTakeSuggestion(9)})
            QVERIFY(!take->text().isEmpty() && m_pane->actions().contains(take));
        QCOMPARE(m_editor->mnuTakeSuggestion(1)->shortcut(), QKeySequence(QStringLiteral("Ctrl+1")));
        // The German texts.
        LgvStringModule::SetUILanguage(kGerman, QString());
        m_editor->lgv_UpdateControls();
        QCOMPARE(m_pane->accessibleName(), QStringLiteral("Vorschläge"));
        QCOMPARE(m_editor->command(EditorCommand::Pretranslate)->text(), QStringLiteral("&Vorübersetzen..."));
        LgvStringModule::SetUILanguage(kEnglish, QString());
        m_editor->lgv_UpdateControls();
    }

    void openedAndSavedFilesAreRemembered()
    {
        show({{kEnglish, 1, "Yes"}, {kFrench, 1, "Oui"}});
        QM_TRY_VERIFY(!m_editor->Memory().busy());
        QString typed = "Non";
        m_editor->SftTree_AfterEdit(typed, grid().findItemData(1), columnOf(kFrench));
        m_editor->SaveResFile();
        QM_TRY_VERIFY(!m_editor->Memory().busy());
        m_editor.reset();
        auto opened = memory::TranslationMemory::open(memoryPath());
        QVERIFY(opened);
        auto found = opened.value()->lookup(kEnglish, kFrench, u"Yes");
        QVERIFY(found);
        QStringList texts;
        for (const memory::Suggestion &suggestion : found.value()) {
            texts << suggestion.text;
            QCOMPARE(QFileInfo(suggestion.file).fileName(), QStringLiteral("P.res"));
            QCOMPARE(suggestion.stringId, 1);
        }
        texts.sort();
        QCOMPARE(texts, (QStringList{"Non", "Oui"}));
    }

    // A file is remembered a batch at a time: the next batch is made only
    // once the one before is in the memory, so no more than one is held.
    void eachBatchIsAskedForOnceTheOneBeforeIsStored()
    {
        m_editor.reset();
        MemoryService service(memoryPath());
        int asked = 0;
        QList<qint64> storedWhenAsked;
        service.rememberBatches([&] {
            auto opened = memory::TranslationMemory::open(memoryPath());
            auto stats = opened ? opened.value()->stats() : qm::Result<memory::Stats>(qm::Error(QStringLiteral("none")));
            storedWhenAsked << (stats ? stats->entries : -1);
            std::vector<memory::Entry> batch;
            if (++asked <= 3)
                for (int k = 0; k < 2; ++k)
                    batch.push_back({kEnglish, QStringLiteral("Text %1").arg(asked * 10 + k), kFrench,
                                     QStringLiteral("Texte %1").arg(asked * 10 + k), QStringLiteral("/p/P.res"), asked * 10 + k, 0});
            return batch;
        });
        QM_TRY_VERIFY(!service.busy());
        QCOMPARE(asked, 4);
        QCOMPARE(storedWhenAsked, (QList<qint64>{0, 2, 4, 6}));
    }

    void damagedMemoryIsToldOnceAndTheEditorWorks()
    {
        writeFile(memoryPath(), QByteArray("this is not a database, only some text that was written here").repeated(200));
        show({{kEnglish, 1, "Open"}, {kEnglish, 2, "Close"}, {kFrench, 2, "Fermer"}});
        attachPane();
        QSignalSpy told(&m_editor->Memory(), &MemoryService::notice);
        goTo(1, kFrench);
        waitForAnswer();
        QCOMPARE(m_pane->status()->text(), lgv_string(1208));
        goTo(2, kFrench);
        waitForAnswer();
        // Pre-translation cannot work without it: said, nothing changed.
        const int before = steps().index();
        m_user->answerDialog([](QDialog &) { return int(QDialog::Accepted); });
        m_user->answerMsgBox(win32::vbOK);
        m_editor->command(EditorCommand::Pretranslate)->trigger();
        QM_TRY_VERIFY(!m_editor->Pretranslating());
        QVERIFY2(m_user->messageBoxes.last().prompt.startsWith("Working without the translation memory: "),
                 qPrintable(m_user->messageBoxes.last().prompt));
        QCOMPARE(steps().index(), before);
        goTo(1, kFrench);
        QString typed = "Ouvrir";
        m_editor->SftTree_AfterEdit(typed, grid().findItemData(1), columnOf(kFrench));
        m_editor->SaveResFile();
        waitForAnswer();
        QCOMPARE(told.count(), 1);
        QVERIFY2(m_editor->MemoryStatus().startsWith("Working without the translation memory: "),
                 qPrintable(m_editor->MemoryStatus()));
        QVERIFY(m_editor->MemoryStatus().contains("moved aside"));
        QCOMPARE(textIn(readRes(path("P.res")), kFrench, 1), QStringLiteral("Ouvrir"));
        // Moved aside, not deleted; no new one started in this run.
        QStringList aside;
        for (QDirIterator it(m_dir->path(), {"memory.db.damaged*"}, QDir::Files); it.hasNext();)
            aside << it.next();
        QVERIFY2(aside.size() == 1, qPrintable(aside.join(", ")));
        QVERIFY(QFileInfo(aside.first()).size() > 1000);
    }
};

QTEST_MAIN(EditorMemoryTest)
#include "editor_memory_test.moc"
