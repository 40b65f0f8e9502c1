// The editor's commands, one entry each, and the dispatch of the toolbar to them.
#include "editor/docResourceEditor.h"

#include "editor/EditorCommands.h"
#include "editor/clsProject.h"
#include "support/ErrorTrap.h"
#include "support/HelpModule.h"
#include "support/frmAbout.h"
#include "support/frmProperties.h"
#include "support/LanguageSelect.h"

#include <QAction>

namespace {
using E = docResourceEditor;
using C = EditorCommand;
constexpr auto NoKey = QKeySequence::UnknownKey;
constexpr auto Editor = Qt::WidgetWithChildrenShortcut;
constexpr auto Window = Qt::WindowShortcut;
constexpr auto Grid = Qt::WidgetShortcut;
constexpr unsigned Toolbar = InToolbar | InStringsMenu;
constexpr unsigned Menu = InStringsMenu;
constexpr unsigned Column = InColumnMenu;
constexpr Qt::Key None = Qt::Key(0);
} // namespace

std::span<const EditorCommand> docResourceEditor::Commands()
{
    // In the order of the host's menu; the toolbar's 17 positions are the
    // toolbar commands with a separator before each group.
    // clang-format off
    static const EditorCommand table[] = {
        {C::Undo, "mnuUndo", Menu, false, nullptr, 0, nullptr, 762, "&Undo", NoKey, "Ctrl+Z",
         Editor, false, CommandNeeds::Editor, false, false, None, [](E &e) { e.Undo(); }},
        {C::Redo, "mnuRedo", Menu, false, nullptr, 0, nullptr, 763, "Re&do", NoKey, "Ctrl+Shift+Z; Ctrl+Y",
         Editor, false, CommandNeeds::Editor, false, false, None, [](E &e) { e.Redo(); }},
        {C::Copy, "mnuCopy", Menu, true, nullptr, 0, nullptr, 771, "C&opy", QKeySequence::Copy, nullptr,
         Grid, true, CommandNeeds::Nothing, false, false, None, [](E &e) { e.CopyCells(); }},
        {C::Paste, "mnuPaste", Menu, false, nullptr, 0, nullptr, 772, "Past&e", QKeySequence::Paste, nullptr,
         Grid, true, CommandNeeds::Nothing, false, false, None, [](E &e) { e.PasteCells(); }},

        {C::Refresh, "refresh", Toolbar, true, "refresh", 493, "Read the resource file again", 601, "&Refresh",
         NoKey, "F5", Editor, false, CommandNeeds::Project, true, false, None, [](E &e) { e.Refresh(); }},
        {C::NewFile, "new", Toolbar, true, "new", 494, "Create resource file for this project", 602,
         "Ne&w Resource File...", NoKey, nullptr, Editor, false, CommandNeeds::ProjectWithoutFile, true, false, None,
         [](E &e) { e.NewResFile(); }},
        {C::Save, "save", Toolbar, false, "save", 495, "Save to the resource file", 603, "&Save Resource File",
         QKeySequence::Save, nullptr, Editor, false, CommandNeeds::ReadableFile, true, false, None,
         [](E &e) { e.SaveResFile(); }},
        {C::NewString, "insertstring", Toolbar, true, "insertrow", 496, "Add a new resource string", 604,
         "New S&tring", QKeySequence::New, nullptr, Editor, false, CommandNeeds::ReadableFile, true, false,
         Qt::Key_Insert, [](E &e) { e.NewResString(); }},
        {C::AddLanguage, "addlanguage", Toolbar, false, "resourcestring", 497, "Add string table for a new language",
         605, "Add &Language...", NoKey, nullptr, Editor, false, CommandNeeds::ReadableFile, true, false, None,
         [](E &e) { e.AddLanguage(); }},
        {C::RemoveString, "deletestring", Toolbar, true, "deleterow", 498, "Delete resource string", 606,
         "Remo&ve String", NoKey, "Ctrl+Del", Editor, false, CommandNeeds::ReadableFile, true, false,
         Qt::Key_Delete, [](E &e) { e.DelResString(); }},
        {C::RemoveLanguage, "removelanguage", Toolbar, false, "deletestringtable", 499,
         "Remove language table for language", 607, "Remove Lan&guage...", NoKey, nullptr, Editor, false,
         CommandNeeds::ReadableFile, true, false, None, [](E &e) { e.RemoveLanguage(); }},
        {C::Excel, "excel", Toolbar, true, "excel", 452, "Excel Import/Export", 608, "E&xcel Import/Export...",
         NoKey, nullptr, Editor, false, CommandNeeds::ReadableFile, true, false, None,
         [](E &e) { e.ExcelImportExport(); }},

        {C::Find, "mnuFind", Menu, true, nullptr, 0, nullptr, 609, "&Find...", QKeySequence::Find, nullptr,
         Window, false, CommandNeeds::Nothing, false, false, None, [](E &e) { e.ShowFindBar(); }},
        {C::FindNext, "mnuFindNext", Menu, false, nullptr, 0, nullptr, 655, "Find &Next", NoKey, "F3",
         Window, false, CommandNeeds::Nothing, false, false, None, [](E &e) { e.FindNext(false); }},
        {C::FindPrevious, "mnuFindPrevious", Menu, false, nullptr, 0, nullptr, 656, "Find Prev&ious", NoKey,
         "Shift+F3", Window, false, CommandNeeds::Nothing, false, false, None, [](E &e) { e.FindNext(true); }},
        // Checked or not, the find bar's toggle follows it; chosen with the window closed, the window comes back.
        {C::MissingOnly, "mnuMissingOnly", Menu, false, nullptr, 0, nullptr, 659,
         "Show &Missing Translations Only", NoKey, nullptr, Editor, false, CommandNeeds::Nothing, false, true, None,
         [](E &e) { e.ShowOwnWindow(); }},
        {C::SortBy, "mnuSortBy", Menu, false, nullptr, 0, nullptr, 657, "Sort &By", NoKey, nullptr,
         Editor, false, CommandNeeds::Nothing, false, false, None, nullptr},

        {C::Properties, "properties", Toolbar, true, "properties", 500,
         "Set properties of the Quill Resource String Editor", 610, "&Properties...", NoKey, nullptr, Editor, false,
         CommandNeeds::Nothing, false, false, None, [](E &e) { ShowPropertiesDialog(&e); }},
        {C::About, "info", Toolbar, false, "info", 501, "About the Quill Resource String Editor", 611,
         "&About Quill Resource String Editor", NoKey, nullptr, Editor, false, CommandNeeds::Nothing, false, false,
         None, [](E &e) { ShowAboutDialog(&e); }},
        {C::Help, "help", Toolbar, false, "help", 138, "Help", 612, "&Help", QKeySequence::HelpContents, nullptr,
         Editor, false, CommandNeeds::Nothing, false, false, None,
         [](E &e) { HelpModule::HtmlHelp(&e, HelpModule::HH_DISPLAY_TOPIC); }},
        {C::ChangeLanguage, "switch", Toolbar, false, "switch", 461, "Change Language", 613, "&Change Language...",
         NoKey, nullptr, Editor, false, CommandNeeds::Nothing, false, false, None,
         [](E &) { LanguageSelect::ShowDialog(false); }},

        // The column menu's items are never disabled but for the clicked
        // column; their commands test for a readable file themselves.
        {C::ColumnRemoveLanguage, "mnuRemoveLanguage", Column, false, nullptr, 0, nullptr, 27, "Remove Language",
         NoKey, nullptr, Editor, false, CommandNeeds::Nothing, false, false, None,
         [](E &e) { e.mnuRemoveLanguage_Click(); }},
        {C::ColumnChangeFont, "mnuChangeFont", Column, false, nullptr, 0, nullptr, 505, "Change Font for Language",
         NoKey, nullptr, Editor, false, CommandNeeds::Nothing, false, false, None,
         [](E &e) { e.mnuChangeFont_Click(); }},
        {C::ColumnUseAsSource, "mnuUseAsSource", Column, false, nullptr, 0, nullptr, 734, "Use as Source Language",
         NoKey, nullptr, Editor, false, CommandNeeds::Nothing, false, true, None,
         [](E &e) { e.mnuUseAsSource_Click(); }},
        {C::ColumnRemoveString, "mnuRemoveResourceString", Column, true, nullptr, 0, nullptr, 507,
         "Remove Resource String", NoKey, nullptr, Editor, false, CommandNeeds::Nothing, false, false, None,
         [](E &e) { e.mnuRemoveResourceString_Click(); }},
        {C::ColumnAddLanguage, "mnuAddLanguage", Column, true, nullptr, 0, nullptr, 87, "Add Language", NoKey,
         nullptr, Editor, false, CommandNeeds::Nothing, false, false, None, [](E &e) { e.mnuAddLanguage_Click(); }},
        {C::ColumnAddString, "mnuAddResourceString", Column, false, nullptr, 0, nullptr, 508, "Add Resource String",
         NoKey, nullptr, Editor, false, CommandNeeds::Nothing, false, false, None,
         [](E &e) { e.mnuAddResourceString_Click(); }},

        // The code's uses of the strings: in the ID cell's menu too.
        {C::ShowUses, "mnuShowUses", Menu | Column, true, nullptr, 0, nullptr, 842, "Show Uses...", NoKey,
         "Shift+F12", Editor, false, CommandNeeds::ReadableFile, true, false, None, [](E &e) { e.ShowUses(); }},
        {C::CheckUnused, "mnuCheckUnused", Menu, false, nullptr, 0, nullptr, 844, "Check for Unused Strings", NoKey,
         nullptr, Editor, false, CommandNeeds::Nothing, false, true, None,
         [](E &e) { e.SetCheckUnused(e.mnuCheckUnused()->isChecked()); }},

        {C::MarkDone, "mnuMarkDone", Menu | Column, true, nullptr, 0, nullptr, 1008, "Mar&k as Done", NoKey,
         "Ctrl+Return; Ctrl+Enter", Grid, true, CommandNeeds::ReadableFile, true, false, None,
         [](E &e) { e.MarkDone(); }},
        {C::NextUnfinished, "mnuNextUnfinished", Menu, false, nullptr, 0, nullptr, 1009, "Next Unfinished", NoKey,
         "Ctrl+Shift+Down", Grid, true, CommandNeeds::ReadableFile, true, false, None,
         [](E &e) { e.GoToUnfinished(false); }},
        {C::PreviousUnfinished, "mnuPreviousUnfinished", Menu, false, nullptr, 0, nullptr, 1010,
         "Previous Unfinished", NoKey, "Ctrl+Shift+Up", Grid, true, CommandNeeds::ReadableFile, true, false, None,
         [](E &e) { e.GoToUnfinished(true); }},
        {C::StringNotes, "mnuStringNotes", Menu | Column, false, nullptr, 0, nullptr, 1011,
         "Notes for Translators...", NoKey, nullptr, Editor, false, CommandNeeds::ReadableFile, true, false, None,
         [](E &e) { e.EditStringNotes(); }},
        // The translation memory.
        {C::Pretranslate, "mnuPretranslate", Menu, true, nullptr, 0, nullptr, 1218, "Pre-translate...", NoKey,
         nullptr, Editor, false, CommandNeeds::ReadableFile, true, false, None, [](E &e) { e.Pretranslate(); }},

        // Spelling and pseudo-locales.
        {C::CheckSpelling, "mnuCheckSpelling", Menu, true, nullptr, 0, nullptr, 1314, "Check Spelling", NoKey,
         nullptr, Editor, false, CommandNeeds::Nothing, false, true, None,
         [](E &e) { e.SetCheckSpelling(e.mnuCheckSpelling()->isChecked()); }},
        {C::CheckWidths, "mnuCheckWidths", Menu, false, nullptr, 0, nullptr, 1327, "Check Widths", NoKey, nullptr,
         Editor, false, CommandNeeds::Nothing, false, true, None,
         [](E &e) { e.SetCheckWidths(e.mnuCheckWidths()->isChecked()); }},
        {C::AddPseudoLanguage, "mnuAddPseudoLanguage", Menu, false, nullptr, 0, nullptr, 1317,
         "Add Pseudo-Language...", NoKey, nullptr, Editor, false, CommandNeeds::ReadableFile, true, false, None,
         [](E &e) { e.AddPseudoLanguage(); }},
    };
    // clang-format on
    return table;
}

void docResourceEditor::toolbar_ButtonClick(QAction *Button)
{
    qm::trap("toolbar_ButtonClick", [&] {
        const EditorCommand *command = Button ? m_commands->find(Button->data().toString()) : nullptr;
        if (!command || !(command->places & InToolbar))
            return;
        // From the host's menu with the window closed: the user sees what the
        // command does to the grid. The dialogs of their own need no grid.
        if (command->showsGrid)
            ShowOwnWindow();
        // A text still being typed belongs to the file the command works on.
        CommitPendingEdit();
        command->run(*this);
    });
    UpdateUnsavedMarks();
}

ProjectState docResourceEditor::CurrentProjectState() const
{
    const bool selected = mCurrentProject != nullptr;
    return {selected, selected && mCurrentProject->HasResourceFile(),
            selected && mCurrentProject->HasReadableResourceFile()};
}

clsProject *docResourceEditor::EditableProject() const
{
    return commandEnabled(CommandNeeds::ReadableFile, CurrentProjectState()) ? mCurrentProject : nullptr;
}

void docResourceEditor::EnableDisableButtons()
{
    qm::trap("EnableDisableButtons", [&] {
        m_commands->updateEnabled(CurrentProjectState());
    });
}

void docResourceEditor::mnuRemoveResourceString_Click() { DelResString(); }

void docResourceEditor::mnuAddLanguage_Click() { AddLanguage(); }

void docResourceEditor::mnuAddResourceString_Click() { NewResString(); }
