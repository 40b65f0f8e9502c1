// The editor's controls: toolbar, project list, progress bar, grid and column
// menu, with their design-time texts, and the routine that sets their texts
// in the current UI language.
#include "editor/docResourceEditor.h"

#include "editor/FindBar.h"
#include "editor/EditorCommands.h"

#include "platform/win32/SftTree.h"
#include "uistrings/LgvStringModule.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include "platform/win32/SftTreeCellEditor.h"
#include <QItemSelectionModel>
#include <QMenu>
#include <QProgressBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

using LgvStringModule::lgv_string;

namespace {
constexpr int kNoProjectSelected = 615;
constexpr int kSeparatorMark = 506;  // "-"

// The UI string tables hold no text for controls that show none of their own,
// so their names for assistive technology are kept here, in both UI languages.
QString controlName(const char *english, const char *german)
{
    return QString::fromUtf8(LgvStringModule::CurrentUILanguage() == 1031 ? german : english);
}

void nameTextlessControls(docResourceEditor &editor)
{
    editor.toolbar()->setAccessibleName(controlName("Toolbar", "Symbolleiste"));
    editor.cboProjects()->setAccessibleName(controlName("Projects", "Projekte"));
    editor.cboProjects()->view()->setAccessibleName(editor.cboProjects()->accessibleName());  // its drop-down list
    editor.SftTree()->setAccessibleName(controlName("Resource strings", "Resource-Strings"));
    editor.SftTree()->cellEditor()->setAccessibleName(controlName("Cell editor", "Zelleneditor"));
    editor.mnuColumnMenu()->setAccessibleName(controlName("Column menu", "Spaltenmenü"));
    // Qt's button for the toolbar's overflow, shown when the window is too narrow for all buttons.
    if (auto *more = editor.toolbar()->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(controlName("More buttons", "Weitere Schaltflächen"));
}
} // namespace

const QStringList &docResourceEditor::ToolbarKeys()
{
    static const QStringList keys = [] {
        QStringList list;
        for (const EditorCommand &command : Commands()) {
            if (!(command.places & InToolbar))
                continue;
            if (command.beginGroup && !list.isEmpty())
                list.append(QString());
            list.append(QString::fromLatin1(command.key));
        }
        return list;
    }();
    return keys;
}

void docResourceEditor::CreateControls()
{
    CreateToolbar();

    m_cboProjects = new QComboBox(this);
    m_cboProjects->setObjectName(QStringLiteral("cboProjects"));
    m_cboProjects->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(m_cboProjects, &QComboBox::activated, this, [this](int) { cboProjects_Click(); });
    m_cboProjects->setPlaceholderText(QStringLiteral("No project selected"));

    m_pbaProgress = new QProgressBar(this);
    m_pbaProgress->setObjectName(QStringLiteral("pbaProgress"));
    m_pbaProgress->setAccessibleName(QStringLiteral("Progress Bar"));
    m_pbaProgress->setToolTip(QStringLiteral("65%"));
    m_pbaProgress->hide();

    m_sftTree = new win32::SftTree(this);
    m_sftTree->setObjectName(QStringLiteral("SftTree"));
    m_sftTree->setColumnCount(1);
    m_sftTree->setColumnCaption(0, QStringLiteral("Resource ID"));
    connect(m_sftTree, &win32::SftTree::ItemClick, this, &docResourceEditor::SftTree_ItemClick);
    connect(m_sftTree, &win32::SftTree::AfterEdit, this, &docResourceEditor::SftTree_AfterEdit);
    // After the text has reached the resource file.
    connect(m_sftTree, &win32::SftTree::AfterEdit, this, [this] { UpdateUnsavedMarks(); });
    connect(m_sftTree, &win32::SftTree::CEKeyDown, this, &docResourceEditor::SftTree_CEKeyDown);
    connect(m_sftTree, &win32::SftTree::ColumnLayoutChanged, this, &docResourceEditor::StoreColumnLayout);
    m_sftTree->grid().setCellNotes([this](int row, int column) { return CellProblems(row, column); });

    CreateCommands();
    CreateColumnMenu();
    CreateGridKeys();
    CreateUndoActions();
    CreateFindBar();
    CreateUses();
    CreateReviewStates();
    CreateMemory();
    CreateSpelling();
    nameTextlessControls(*this);
}

void docResourceEditor::CreateCommands()
{
    m_commands = std::make_unique<EditorCommands>(Commands(), *this, *m_sftTree,
                                                  [this](const EditorCommand &command, QAction *action) {
                                                      // The toolbar's commands, from any place, run through its dispatch.
                                                      if (command.places & InToolbar)
                                                          toolbar_ButtonClick(action);
                                                      else
                                                          command.run(*this);
                                                  });
    m_commands->fillToolbar(*m_toolbar);
}

QAction *docResourceEditor::command(int id) const
{
    return m_commands->action(EditorCommand::Id(id));
}

QAction *docResourceEditor::mnuRemoveLanguage() const { return command(EditorCommand::ColumnRemoveLanguage); }
QAction *docResourceEditor::mnuChangeFont() const { return command(EditorCommand::ColumnChangeFont); }
QAction *docResourceEditor::mnuRemoveResourceString() const { return command(EditorCommand::ColumnRemoveString); }
QAction *docResourceEditor::mnuAddLanguage() const { return command(EditorCommand::ColumnAddLanguage); }
QAction *docResourceEditor::mnuAddResourceString() const { return command(EditorCommand::ColumnAddString); }
QAction *docResourceEditor::mnuUseAsSource() const { return command(EditorCommand::ColumnUseAsSource); }
QAction *docResourceEditor::mnuFind() const { return command(EditorCommand::Find); }
QAction *docResourceEditor::mnuUndo() const { return command(EditorCommand::Undo); }
QAction *docResourceEditor::mnuRedo() const { return command(EditorCommand::Redo); }
QAction *docResourceEditor::mnuCopy() const { return command(EditorCommand::Copy); }
QAction *docResourceEditor::mnuPaste() const { return command(EditorCommand::Paste); }
QAction *docResourceEditor::mnuFindNext() const { return command(EditorCommand::FindNext); }
QAction *docResourceEditor::mnuFindPrevious() const { return command(EditorCommand::FindPrevious); }
QAction *docResourceEditor::mnuMissingOnly() const { return command(EditorCommand::MissingOnly); }

void docResourceEditor::CreateGridKeys()
{
    // Delete removes the row only from the rows' header, the ID column; elsewhere the key is the grid's.
    QAction *deleteRow = m_commands->gridKey(EditorCommand::RemoveString);
    deleteRow->setEnabled(false);
    connect(m_sftTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [deleteRow](const QModelIndex &current) { deleteRow->setEnabled(current.isValid() && current.column() == 0); });
}

void docResourceEditor::CreateToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setFloatable(false);
    m_toolbar->setMovable(false);
}

QAction *docResourceEditor::toolbarButton(const QString &key) const
{
    const EditorCommand *found = m_commands->find(key);
    return found && (found->places & InToolbar) ? m_commands->action(*found) : nullptr;
}

void docResourceEditor::CreateColumnMenu()
{
    m_mnuColumnMenu = new QMenu(QStringLiteral("ColumnMenu"), this);
    m_mnuColumnMenu->setObjectName(QStringLiteral("mnuColumnMenu"));
    m_commands->fillMenu(*m_mnuColumnMenu, InColumnMenu, QStringLiteral("mnuSep"));
    connect(m_mnuColumnMenu, &QMenu::triggered, this, [this] { UpdateUnsavedMarks(); });
}

void docResourceEditor::lgv_UpdateControls()
{
    // The column menu's captions, the toolbar's tooltips and the menus' texts.
    m_commands->retranslate();
    m_mnuColumnMenu->setTitle(lgv_string(504));
    // String 506 is "-", the separator mark; Qt would draw a separator's text as a
    // visible label, so the separators keep it as data only.
    for (QAction *entry : m_mnuColumnMenu->actions()) {
        if (entry->isSeparator())
            entry->setData(lgv_string(kSeparatorMark));
    }

    m_pbaProgress->setAccessibleName(lgv_string(382));
    m_pbaProgress->setToolTip(lgv_string(540));

    m_sftTree->setColumnCaption(0, lgv_string(492));
    if (mShownTable)
        mShownTable->setIdCaption(lgv_string(492));
    m_cboProjects->setPlaceholderText(lgv_string(kNoProjectSelected));
    nameTextlessControls(*this);

    RetranslateUndoSteps();
    UpdateCommandMenuTexts();
    UpdateFindTexts();
    UpdateMemoryTexts();
}
