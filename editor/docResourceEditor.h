#pragma once

#include "editor/CellNotes.h"
#include "editor/FindController.h"
#include "editor/LanguageTable.h"
#include "editor/MemoryService.h"
#include "editor/StringCommands.h"
#include "editor/StringTableModel.h"
#include "editor/RowFilter.h"
#include "editor/UseNotes.h"
#include "spelling/Words.h"
#include "support/LgvFormLocalisation.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <span>
#include <vector>

class CellSpelling;
class EditorCommands;
class FindBar;
struct EditorCommand;
struct ProjectState;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QMenu;
class QProgressBar;
class QProgressDialog;
class SuggestionsPane;
class QToolBar;
class QUndoGroup;
class clsProject;

namespace coderefs {
class ProjectUses;
}
namespace resutil {
class ResFile;
}
namespace vbide {
class CommandBarPopup;
class VBE;
class VBProject;
class VBProjectsEvents;
} // namespace vbide
namespace win32 {
class SftTree;
class SftTreeSource;
} // namespace win32

// The editor: the document inside the add-in's tool window. It keeps one
// project object per project open in the host, lists them, and shows the
// selected project's string tables in the grid.
class docResourceEditor : public QWidget, public LgvFormLocalisation {
    Q_OBJECT
public:
    static constexpr const char *kMessageTitle = "Quill Resource String Editor";
    // The editor's commands, in the order of its menu in the host.
    static std::span<const EditorCommand> Commands();
    // The toolbar's keys, left to right; empty entries are separators.
    static const QStringList &ToolbarKeys();

    explicit docResourceEditor(QWidget *parent = nullptr);
    ~docResourceEditor() override;

    // Set once by the connection; lists the host's projects and follows them.
    void setVBE(vbide::VBE *oVBE);
    vbide::VBE *VBE() const;
    void SelectedViaAddInMenu();

    // Before the host closes projects (with `unloading`: all of them, and the
    // editor goes): asks about each of their resource files with unsaved
    // changes, Yes saves, No drops, Cancel keeps. False after Cancel or a failed
    // save; the edits and the projects then stay as they are.
    bool QueryClose(const QList<vbide::VBProject *> &hostProjects, bool unloading);
    // At unloading that was not asked about first: Yes or No for every changed
    // file that QueryClose did not settle.
    void SaveChangedResourceFiles();

    // Project tracking.
    void ProjectsEvents_ItemAdded(vbide::VBProject *VBProject);
    void ProjectsEvents_ItemRemoved(vbide::VBProject *VBProject);
    void ProjectsEvents_ItemRenamed(vbide::VBProject *VBProject, const QString &OldName);
    void cboProjects_Click();
    void ProjectSelect(clsProject *project);
    void ProjectClose();
    void Refresh();
    void lgv_UpdateControls() override;

    // The string grid.
    void EnableDisableButtons();
    void InitLanguageTable(clsProject *project);
    void SetColumns();
    void AddLineInitFonts(qint32 ID, int &Row);
    void ShowResourceStrings(clsProject *project);
    void SftTree_ItemClick(int Row, int Column, int Area, int Button, int Shift);
    void SftTree_AfterEdit(QString &NewText, int Row, int Column);
    void SftTree_CEKeyDown(int &KeyCode, int Shift, int Row, int Column, const QString &Text);

    // State, for the commands and for tests.
    clsProject *CurrentProject() const { return mCurrentProject; }
    const QList<clsProject *> &Projects() const { return mProjects; }
    qint32 NextProjectIndex() const { return mNextProjectIndex; }
    // The shown project's table (nullptr without a readable resource file) and its languages.
    StringTableModel *Table() const;
    const LanguageTable &Languages() const;
    int LanguageCount() const { return Languages().count(); }
    int LastLanguage() const { return Languages().last(); }
    int LanguageTableUpperBound() const { return Languages().upperBound(); }
    int MenuColumn() const { return mMenuColumn; }
    int MenuRow() const { return mMenuRow; }
    int MenuLanguage() const { return mMenuLanguage; }
    // The language the translations are checked against (0 when there is none) and its column (-1).
    qint32 SourceLanguage() const { return m_cellNotes.sourceLocale(); }
    int SourceColumn() const { return m_cellNotes.sourceColumn(); }

    // The translation checks on the grid's texts: whether the cell breaks a
    // rule against the source language's cell of its row, and what it breaks,
    // one "Rule: what" line per problem in the UI language.
    bool CellHasProblem(int Row, int Column) const;
    bool RowHasProblems(int Row) const;
    QString CellProblems(int Row, int Column) const;
    static QString CheckRuleName(int rule);

    // The code's uses of the strings (docResourceEditorUses.cpp): read on a
    // worker thread for the selected project, again when its files change.
    coderefs::ProjectUses &ProjectCode() const { return *m_projectUses; }
    const UseNotes &Uses() const { return m_uses; }
    // Lists the places that use the current string and opens the chosen one in the host.
    void ShowUses();
    bool CheckUnused() const { return m_uses.checkUnused(); }
    // Switches the unused rule on or off, and keeps the choice.
    void SetCheckUnused(bool on);
    QAction *mnuShowUses() const;
    QAction *mnuCheckUnused() const;
    QCheckBox *chkUnused() const { return m_chkUnused; }
    // The reference rules' note on an ID cell; empty for the other cells.
    QString IdCellProblems(int Row) const;
    // What the host's status bar was last told of the code's uses.
    QString UsesStatus() const { return m_usesStatus; }

    // Review states (docResourceEditorStates.cpp). Marks the current
    // translation approved and moves on to the next unfinished one.
    void MarkDone();
    // Moves to the next (previous) missing translation or one to review in the
    // current language, among the rows shown; false when there is none.
    bool GoToUnfinished(bool backwards);
    // The comment for translators and the maximum length of the current string.
    void EditStringNotes();
    QCheckBox *chkNeedsReview() const;
    // The strings done, to review and missing in a language column, as its header's tip gives them.
    QString LanguageStatistics(int column) const;
    // What the editor last told the host's status bar of the review states.
    QString StateStatus() const { return m_stateStatus; }

    // Spelling in the grid (docResourceEditorSpelling.cpp): misspelt words
    // underlined and named in the cell's description; the cell menu offers
    // the dictionary's suggestions, Add to Dictionary and Ignore.
    bool CheckSpelling() const { return m_checkSpelling; }
    // Switches the underlines on or off, and keeps the choice.
    void SetCheckSpelling(bool on);
    QAction *mnuCheckSpelling() const;
    // Words are checked in the background: until their verdicts are in, a
    // cell has none, unless asked to wait for them.
    QList<spelling::Word> MisspeltWords(int Row, int Column, bool WaitForVerdicts = false) const;
    // The width rule against the source's width, as quillmark check --fit has
    // it (off at first, kept in the registry); a string's maximum width holds either way.
    bool CheckWidths() const;
    void SetCheckWidths(bool on);
    QAction *mnuCheckWidths() const;
    // The spelling items the cell menu was last opened with, suggestions first.
    const QList<QAction *> &SpellingMenuItems() const { return m_spellingItems; }
    // What the status line was last told of the languages without a dictionary.
    QString SpellingStatus() const { return m_spellingStatus; }
    // Pseudo-locales (docResourceEditorPseudo.cpp): a language filled with the
    // source texts made long and accented, replaced when it is there, as one step.
    void AddPseudoLanguage();
    void FillPseudoLanguage(qint32 pseudoLocale);

    // Controls.
    QToolBar *toolbar() const { return m_toolbar; }
    QAction *toolbarButton(const QString &key) const;
    QComboBox *cboProjects() const { return m_cboProjects; }
    QProgressBar *pbaProgress() const { return m_pbaProgress; }
    win32::SftTree *SftTree() const { return m_sftTree; }
    QMenu *mnuColumnMenu() const { return m_mnuColumnMenu; }
    // The action of a command (EditorCommand::Id).
    QAction *command(int id) const;
    QAction *mnuRemoveLanguage() const;
    QAction *mnuChangeFont() const;
    QAction *mnuRemoveResourceString() const;
    QAction *mnuAddLanguage() const;
    QAction *mnuAddResourceString() const;
    QAction *mnuUseAsSource() const;
    // The editor's menu in the host's menu bar ("Strings"): the toolbar's
    // commands, the same actions, and Find; nullptr in a host without a menu bar.
    vbide::CommandBarPopup *CommandMenu() const;
    QAction *mnuFind() const;
    // Undo and redo of the current project's steps; copy and paste of the grid's cells.
    QAction *mnuUndo() const;
    QAction *mnuRedo() const;
    QAction *mnuCopy() const;
    QAction *mnuPaste() const;
    QUndoGroup *UndoGroup() const { return m_undoGroup; }

    // Find and filter: the bar above the grid, the rows it shows, their order.
    FindBar *findBar() const { return m_findBar; }
    QAction *mnuFindNext() const;
    QAction *mnuFindPrevious() const;
    QAction *mnuMissingOnly() const;
    QMenu *mnuSort() const { return m_mnuSort; }
    void ShowFindBar();
    // Closing shows every row again; the text stays for F3.
    void CloseFindBar();
    bool FindBarOpen() const { return m_findBarOpen; }
    // Applies the bar's choice to the grid's rows again.
    void ApplyRowFilter();
    // Moves the keyboard's cell to the next (previous) cell shown whose text
    // matches the find text, wrapping around; false when there is none.
    bool FindNext(bool backwards);
    // Orders the rows by a language's texts, or by ID for locale -1.
    void SortRows(qint32 locale, bool descending);
    qint32 SortLocale() const { return m_find.sortLocale(); }
    bool SortDescending() const { return m_find.sortDescending(); }
    // Rows of the language column with no text, as its header's tooltip gives them.
    int MissingCount(int column) const;

    // The editing commands on the selected project's resource file.
    void NewResFile();
    void SaveResFile();
    void NewResString();
    void AddLanguage();
    void DelResString();
    void RemoveLanguage();
    void ExcelImportExport();
    void Undo();
    void Redo();
    void CopyCells();
    void PasteCells();

public slots:
    // Dispatch of the toolbar and the column menu to the editing commands.
    void toolbar_ButtonClick(QAction *Button);
    void mnuRemoveLanguage_Click();
    void mnuChangeFont_Click();
    void mnuRemoveResourceString_Click();
    void mnuAddLanguage_Click();
    void mnuAddResourceString_Click();
    void mnuUseAsSource_Click();

    // The controls are placed by hand, so the window states its own sizes.
    QSize sizeHint() const override { return QSize(900, 450); }
    QSize minimumSizeHint() const override { return QSize(320, 200); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void UserDocument_Initialize();
    void UserDocument_Terminate();
    void CreateControls();
    void CreateCommands();
    void CreateToolbar();
    void CreateColumnMenu();
    // What the commands are enabled by; a command that edits needs commandEnabled(ReadableFile, ...).
    ProjectState CurrentProjectState() const;
    // The current project when its resource file can be edited, else nullptr.
    clsProject *EditableProject() const;
    void LayoutControls();
    QString CurrentProjectFile() const;
    int FittedLanguageColumnWidth() const;
    // Remembers the order and widths of the current project's language columns.
    void StoreColumnLayout();
    // The current project's source language from the choice made or stored, once the language table is built.
    void UpdateSourceLanguage();
    // Ends an open cell edit with acceptance, so that its text reaches the resource file.
    void CommitPendingEdit();
    void AddCommandMenu();
    void RemoveCommandMenu();
    // Shows the host's window that holds the editor, when the user closed it:
    // a command from the host's menu works on what the user then sees.
    void ShowOwnWindow();
    void UpdateCommandMenuTexts();
    void CreateGridKeys();
    void CreateFindBar();
    void CreateFindActions();
    // What the bar asks for now.
    FindCriteria FindCriteriaNow() const;
    std::vector<int> ShownRows(const win32::SftTreeSource &grid) const;
    void UpdateFindStatus();
    // After the language columns change: the bar's scopes, the sort menu.
    void UpdateFindLanguages();
    void UpdateSortMenu();
    void UpdateSortChecks();
    void UpdateFindTexts();
    void UpdateMissingCounts();
    // Counts the missing translations again after the grid's texts or rows change.
    void WatchForMissingCounts(const win32::SftTreeSource &grid);
    void ScheduleMissingCounts();
    // The marks a cell gets beyond its text: a missing translation; on the ID, its uses.
    QVariant CellRole(int row, int column, int role) const;
    QVariant IdCellRole(int row, int role) const;
    // Uses (docResourceEditorUses.cpp).
    void CreateUses();
    void UpdateUsesTexts();
    // Follows the current project's code.
    void WatchProjectCode();
    void ProjectCodeRead();
    // The reference rules again over the shown strings: their notes, the rows of
    // missing IDs, the status line.
    void CheckUses();
    // Removes the rows shown for missing IDs that are no longer missing, unless written into.
    void DropMissingIdRows(StringTableModel &table, const std::vector<qint32> &missing);
    void SftTree_HeaderClick(int column);
    void CreateReviewStates();
    void UpdateReviewTexts();
    QVariant StateCellRole(int row, int column, int role) const;
    // The comment and maximum length lines of a string's tip.
    QString StringNotesText(qint32 id) const;
    // The current language's figures in the status line, once after a burst of changes.
    void ScheduleStateStatus();
    void ShowStateStatus();
    void ShowStatusLine(const QString &text);
    // A "*" after each project with unsaved strings in the list, and the window's
    // title (the current project) with its modified mark.
    void UpdateUnsavedMarks();
    QString ProjectListText(const clsProject &project) const;
    // With exactly one project open, staying open, and none selected, selects it.
    void SelectOnlyProject();
    // Tells the host's status bar what a save wrote.
    void ReportSaved(const resutil::ResFile &file);
    // Shows mCurrentProject's entry as the list's selection, or none.
    void SyncProjectListSelection();
    int ProjectListEntry(qint32 index) const;
    static bool HasUnsavedChanges(const clsProject &project);
    static QString SaveQuestion(const clsProject &project);
    // The questions before unsaved changes go: at Refresh, Yes drops them and
    // No keeps them; at a close, Yes saves and No drops them, with Cancel where
    // the close can still be stopped.
    enum class SaveChoice { DropOrKeep, SaveOrDrop, SaveDropOrStay };
    // Asks about the project's unsaved changes, if it has any, and saves when
    // told to. True when the work that asked may go on: nothing was unsaved,
    // the changes were saved, or the user chose to drop them.
    static bool MaybeSave(clsProject &project, SaveChoice choice);
    // What the question about a resource file another program changed offers:
    // at a save, Yes keeps mine (writes over it), No reloads theirs, Cancel
    // saves nothing; at a close, Yes writes over it and No drops mine, with
    // Cancel (stay open) where the close can still be stopped.
    enum class DiskChangeChoice { KeepMineOrReload, KeepMineOrDrop, KeepMineDropOrStay };
    static int AskAboutChangeOnDisk(const clsProject &project, DiskChangeChoice choice);
    // Saves before a close, first asking when another program changed the
    // file; tells a failure. True when the project may close: saved, or the
    // user chose to drop the changes. With `canStayOpen` the user may also
    // keep it open.
    static bool SaveBeforeClose(clsProject &project, bool canStayOpen);

    QPointer<vbide::VBE> m_vbe;
    clsProject *mCurrentProject = nullptr;
    QList<clsProject *> mProjects;
    qint32 mNextProjectIndex = 0;
    const LanguageTable mNoLanguages;  // what Languages() gives without a table
    QPointer<StringTableModel> mShownTable;
    struct KeptPlace {
        qint32 id = -1;
        qint32 locale = -1;
        int vertical = 0;
        int horizontal = 0;
    } mKeptPlace;
    int mMenuColumn = 0;
    int mMenuRow = 0;
    int mMenuLanguage = -1;
    CellNotes m_cellNotes;
    QPointer<vbide::VBProjectsEvents> ProjectsEvents;

    QToolBar *m_toolbar = nullptr;
    QComboBox *m_cboProjects = nullptr;
    QProgressBar *m_pbaProgress = nullptr;
    win32::SftTree *m_sftTree = nullptr;
    std::unique_ptr<EditorCommands> m_commands;
    QMenu *m_mnuColumnMenu = nullptr;
    FindBar *m_findBar = nullptr;
    QCheckBox *m_chkProblems = nullptr;  // the find bar's "Problems" toggle
    QCheckBox *m_chkUnused = nullptr;    // the find bar's "Unused strings" toggle
    QCheckBox *m_chkNeedsReview = nullptr;  // the find bar's "Needs review" toggle
    QString m_stateStatus;
    bool m_stateStatusPending = false;
    std::unique_ptr<coderefs::ProjectUses> m_projectUses;
    UseNotes m_uses;
    QString m_usesStatus;
    std::vector<qint32> m_missingIdRows;  // rows shown for IDs the code uses and the file lacks
    QPointer<StringTableModel> m_missingIdTable;  // the table they are in
    bool m_findBarOpen = false;
    QMenu *m_mnuSort = nullptr;
    QActionGroup *m_sortGroup = nullptr;
    QAction *m_mnuSortDescending = nullptr;
    FindController m_find;
    FindController::MissingCounts m_missingCounts;
    bool m_missingCountsPending = false;
    // Undo (docResourceEditorUndo.cpp).
    void CreateUndoActions();
    void UpdateUndoActions();
    void RetranslateUndoSteps();
    // Puts the step on the current project's stack, which does it.
    void PushStringCommand(StringCommand *command);
    // The file counts as changed when a step that changes it lies between the
    // saved state and the current one.
    static void SyncChangedMark(clsProject &project);
    // Around a change of the shown table's languages: the columns are laid
    // out again, and the current cell and the scroll position kept.
    void TableLanguagesAboutToChange();
    void TableLanguagesChanged();
    // Shows the table in the grid with the editor's notes and marks on it.
    void ShowTable(StringTableModel *table);
    // Copy and paste (docResourceEditorClipboard.cpp).
    void RefusePaste(const QString &reason);

    // Changes other programs made on disk (docResourceEditorDiskChanges.cpp).
    enum class DiskMerge { Merged, Conflicts, Cancelled, Unreadable };
    struct DiskMergeOutcome {
        DiskMerge result = DiskMerge::Merged;
        std::size_t conflicts = 0;
        QString problem;  // Unreadable: why
    };
    // Without unsaved edits reads the files again, with them merges the file
    // on disk into them; conflicts wait for the save. Told in the status line.
    void FilesChangedOnDisk(clsProject &project);
    void TakeInDiskChange(clsProject &project);
    void ReadAgainFromDisk(clsProject &project);
    // Merges the file on disk into the project's strings, cell by cell, as one
    // undo step. Conflicts are asked about in a dialog with `ask`; without it,
    // or when the user cancels, nothing changes.
    static DiskMergeOutcome MergeWithDisk(clsProject &project, bool ask);
    // Before a save over a file changed on disk: merged, or false when nothing may be written.
    static bool MergeBeforeSave(clsProject &project);
    void ShowStatus(const QString &text);
    // Spelling (docResourceEditorSpelling.cpp).
    void CreateSpelling();
    QVariant SpellingCellRole(int row, int column, int role) const;
    // The cell menu's spelling items for the word at the menu's position, else the cell's first misspelt word.
    void PrepareSpellingMenu(int row, int column);
    void ReplaceMisspelt(const QString &replacement);
    void AddMisspeltToDictionary();
    void IgnoreMisspelt();
    void SpellingChanged();
    // Names the shown table's languages without a dictionary in the status line, each once.
    void TellMissingDictionaries();
    // The project's width factor and the strings' maximum widths for the width rule.
    void UpdateWidthRule();
    std::unique_ptr<CellSpelling> m_spelling;
    bool m_checkSpelling = true;
    QList<QAction *> m_spellingItems;
    struct SpellingTarget {
        qint32 id = -1;
        qint32 locale = -1;
        spelling::Word word;
    } m_spellingTarget;
    QString m_spellingStatus;
    QList<qint32> m_toldNoDictionary;

    QUndoGroup *m_undoGroup = nullptr;
    QPointer<vbide::CommandBarPopup> m_commandMenu;
    bool m_listingProjects = false;
    bool m_selectingAutomatically = false;  // SelectOnlyProject, not the user, chose the project

    // The translation memory (docResourceEditorMemory.cpp): filled from every
    // resource file read or saved; its suggestions for the current cell in a
    // pane beside the grid; pre-translation; the consistency rule in the grid.
public:
    // The pane the host made for the suggestions (nullptr: none).
    void AttachSuggestionsPane(SuggestionsPane *pane);
    SuggestionsPane *Suggestions() const;
    MemoryService &Memory() const { return *m_memory; }
    // Ctrl+1 to Ctrl+9: suggestion `number` into the pane's cell, as one undo step.
    void TakeSuggestion(int number);
    QAction *mnuTakeSuggestion(int number) const;
    // Fills a language's empty cells from the memory, as one undo step, marking them as needing review.
    void Pretranslate();
    bool Pretranslating() const;
    // What the status line was last told of the memory.
    QString MemoryStatus() const { return m_memoryStatus; }

private:
    void CreateMemory();
    void UpdateMemoryTexts();
    void RememberStrings(clsProject &project);
    void ScheduleSuggestions();
    void UpdateSuggestions();
    void SuggestionsFound(quint64 serial, const std::vector<memory::Suggestion> &found, bool available);
    void PretranslateDone(const std::vector<MemoryService::Filled> &filled, bool cancelled, bool available);
    void WatchForConsistency(const win32::SftTreeSource &table);
    void ScheduleConsistency();
    void UpdateConsistency();

    std::unique_ptr<MemoryService> m_memory;
    // Each project's latest remembering; a later one (the file read or saved
    // again) makes the earlier stop.
    QHash<const clsProject *, quint64> m_rememberRuns;
    QPointer<SuggestionsPane> m_suggestionsPane;
    QList<QAction *> m_takeSuggestion;
    quint64 m_lookupSerial = 0;
    struct SuggestedCell {
        qint32 id = -1;
        qint32 locale = 0;
        QString source;
    } m_suggestedCell;
    struct Pretranslation {
        QPointer<clsProject> project;
        qint32 locale = 0;
        QString name;
        int minMatch = 100;
        qint64 missing = 0;
    } m_pretranslation;
    QPointer<QProgressDialog> m_pretranslateProgress;
    bool m_suggestionsPending = false;
    bool m_consistencyPending = false;
    QString m_memoryStatus;
    QString m_memoryNotice;  // why the memory is not used; kept for pre-translation, which needs it
};
