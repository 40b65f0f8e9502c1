#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <span>
#include <vector>

class QAction;
class QMenu;
class QToolBar;
class QWidget;
class docResourceEditor;

namespace vbide {
class CommandBarControls;
}

// What a command needs of the selected project before it is enabled.
enum class CommandNeeds {
    Nothing,             // always enabled
    Project,             // a project is selected
    ProjectWithoutFile,  // a selected project without a resource file
    ReadableFile,        // a selected project with a resource file that could be read
    Editor,              // the editor sets it itself (undo and redo follow the project's steps)
};

// What the enabled states are decided from.
struct ProjectState {
    bool selected = false;
    bool hasFile = false;
    bool readable = false;  // a file that could not be read is shown, never edited
};

// Whether a command that needs `needs` is enabled in `state`; a command the
// editor enables itself counts as enabled.
bool commandEnabled(CommandNeeds needs, const ProjectState &state);

// Where a command is offered.
enum CommandPlace : unsigned {
    InToolbar = 1,
    InStringsMenu = 2,  // the editor's menu in the host's menu bar
    InColumnMenu = 4,
};

// One command of the editor: what it is called, where it is offered, its
// keys, when it is enabled and what it runs.
struct EditorCommand {
    enum Id {
        Undo, Redo, Copy, Paste,
        Refresh, NewFile, Save, NewString, AddLanguage, RemoveString, RemoveLanguage, Excel,
        Find, FindNext, FindPrevious, MissingOnly, SortBy,
        Properties, About, Help, ChangeLanguage,
        ColumnRemoveLanguage, ColumnChangeFont, ColumnUseAsSource, ColumnRemoveString, ColumnAddLanguage,
        ColumnAddString,
        ShowUses, CheckUnused,
        MarkDone, NextUnfinished, PreviousUnfinished, StringNotes, Pretranslate,
        CheckSpelling, CheckWidths, AddPseudoLanguage,
        Unnamed  // a command that no code asks for by name: the toolbar and the menus run it by its entry
    };

    Id id;
    const char *key;      // the toolbar's dispatch key, and the action's object name
    unsigned places;      // CommandPlace values
    bool beginGroup;      // a separator before it where it is offered
    const char *image;    // the toolbar image's key
    int tipId;            // the tooltip's UI string; 0: none
    const char *tip;      // the design-time tooltip, which is the English one
    int textId;           // the menu text's UI string
    const char *text;     // the design-time menu text
    QKeySequence::StandardKey standardKey;  // QKeySequence::UnknownKey: none
    const char *keys;     // further keys, in portable text, "; " between them
    Qt::ShortcutContext context;
    bool onGrid;          // its keys act on the grid itself, not in the cell editor inside it
    CommandNeeds needs;
    bool showsGrid;       // from the host's menu with the window closed, the window comes back first
    bool checkable;
    Qt::Key gridKey;      // a key of the grid's own that runs it too; 0: none
    void (*run)(docResourceEditor &editor);  // nullptr: the action only opens its submenu

    QList<QKeySequence> shortcuts() const;
};

// The editor's commands as actions: each command's action is made once, and
// the toolbar, the host's menu, the column menu and the grid's keys all hold
// that one action.
class EditorCommands {
public:
    // Runs a command whose action was triggered.
    using Dispatch = std::function<void(const EditorCommand &command, QAction *action)>;

    // The actions belong to `editor`; commands on the grid and the grid's own
    // keys belong to `grid`.
    EditorCommands(std::span<const EditorCommand> table, QWidget &editor, QWidget &grid, Dispatch dispatch);

    std::span<const EditorCommand> table() const { return m_table; }
    // The action of a named command, or nullptr.
    QAction *action(EditorCommand::Id id) const;
    // The action of one of the table's entries.
    QAction *action(const EditorCommand &command) const;
    // The command of a dispatch key, or nullptr.
    const EditorCommand *find(const QString &key) const;
    // The grid's own key for a command, or nullptr.
    QAction *gridKey(EditorCommand::Id id) const;

    // The commands of a place, in the table's order, with a separator where a
    // group begins (named `separatorName` and its number in a menu).
    void fillToolbar(QToolBar &toolbar) const;
    void fillMenu(QMenu &menu, CommandPlace place, const QString &separatorName) const;
    void fillCommandBar(vbide::CommandBarControls &controls) const;

    // Every command that needs a project is enabled as the project's state says.
    void updateEnabled(const ProjectState &state) const;
    // The texts in the current UI language.
    void retranslate() const;

private:
    void setTexts(const EditorCommand &command, const QString &tip, const QString &text) const;

    std::span<const EditorCommand> m_table;
    int indexOf(EditorCommand::Id id) const;

    std::vector<QAction *> m_actions;   // by position in the table
    std::vector<QAction *> m_gridKeys;  // by position in the table
};
