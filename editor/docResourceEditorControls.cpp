// The editor's controls: toolbar, project list, progress bar, grid and column
// menu, with their design-time texts, and the routine that sets their texts
// in the current UI language.
#include "editor/docResourceEditor.h"

#include "editor/FindBar.h"
#include "editor/CommandTip.h"
#include "editor/ToolbarIcons.h"

#include "platform/win32/SftTree.h"
#include "uistrings/LgvStringModule.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include "platform/win32/SftTreeCellEditor.h"
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QMenu>
#include <QProgressBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

using LgvStringModule::lgv_string;

namespace {
constexpr int kNoProjectSelected = 615;
constexpr int kUseAsSourceLanguage = 734;

struct ToolbarPosition {
    const char *key;  // nullptr: a separator
    const char *image;  // key of the drawn toolbar image
    int tooltipId;
    const char *tooltip;  // the design-time text, which is the English one
    int menuTextId;  // the command's entry in the editor's menu
    const char *menuText;
};

// The 17 positions, left to right.
const ToolbarPosition kToolbar[] = {
    {"refresh", "refresh", 493, "Read the resource file again", 601, "&Refresh"},
    {nullptr, nullptr, 0, nullptr, 0, nullptr},
    {"new", "new", 494, "Create resource file for this project", 602, "Ne&w Resource File..."},
    {"save", "save", 495, "Save to the resource file", 603, "&Save Resource File"},
    {nullptr, nullptr, 0, nullptr, 0, nullptr},
    {"insertstring", "insertrow", 496, "Add a new resource string", 604, "New S&tring"},
    {"addlanguage", "resourcestring", 497, "Add string table for a new language", 605, "Add &Language..."},
    {nullptr, nullptr, 0, nullptr, 0, nullptr},
    {"deletestring", "deleterow", 498, "Delete resource string", 606, "Remo&ve String"},
    {"removelanguage", "deletestringtable", 499, "Remove language table for language", 607, "Remove Lan&guage..."},
    {nullptr, nullptr, 0, nullptr, 0, nullptr},
    {"excel", "excel", 452, "Excel Import/Export", 608, "E&xcel Import/Export..."},
    {nullptr, nullptr, 0, nullptr, 0, nullptr},
    {"properties", "properties", 500, "Set properties of the Quill Resource String Editor", 610, "&Properties..."},
    {"info", "info", 501, "About the Quill Resource String Editor", 611, "&About Quill Resource String Editor"},
    {"help", "help", 138, "Help", 612, "&Help"},
    {"switch", "switch", 461, "Change Language", 613, "&Change Language..."},
};
static_assert(std::size(kToolbar) == 17);

// Standard keys where Qt has one; they act while the focus is in the editor.
QList<QKeySequence> commandKeys(const QString &key)
{
    if (key == QLatin1String("refresh"))
        return {QKeySequence(Qt::Key_F5)};
    if (key == QLatin1String("save"))
        return {QKeySequence(QKeySequence::Save)};
    if (key == QLatin1String("insertstring"))
        return {QKeySequence(QKeySequence::New)};
    if (key == QLatin1String("deletestring"))
        return {QKeySequence(Qt::CTRL | Qt::Key_Delete)};
    if (key == QLatin1String("help"))
        return {QKeySequence(QKeySequence::HelpContents)};
    return {};
}

// The toolbar shows the tip, and names its button by it; the menu shows the menu text.
void setCommandTexts(QAction &command, const QString &tip, const QString &menuText)
{
    command.setText(menuText);
    command.setIconText(tip);  // the tool button's text and accessible name
    command.setStatusTip(tip);
    command.setToolTip(commandTip(tip, command.shortcut()));
}

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
        for (const ToolbarPosition &position : kToolbar)
            list.append(position.key ? QString::fromLatin1(position.key) : QString());
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

    CreateColumnMenu();
    CreateGridKeys();
    CreateUndoActions();
    CreateClipboardActions();
    m_mnuFind = new QAction(QStringLiteral("&Find..."), this);
    m_mnuFind->setObjectName(QStringLiteral("mnuFind"));
    m_mnuFind->setShortcut(QKeySequence::Find);
    addAction(m_mnuFind);
    CreateFindBar();
    nameTextlessControls(*this);
}

void docResourceEditor::CreateGridKeys()
{
    // Keys of the grid itself, not of the cell editor inside it, where they edit the text.
    const auto gridKey = [this](const char *name, const QKeySequence &key, const char *command) {
        auto *action = new QAction(m_sftTree);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, command] {
            QAction *button = toolbarButton(QString::fromLatin1(command));
            if (button && button->isEnabled())
                button->trigger();
        });
        m_sftTree->addAction(action);
        return action;
    };
    m_keyInsertString = gridKey("keyInsertString", QKeySequence(Qt::Key_Insert), "insertstring");
    m_keyDeleteRow = gridKey("keyDeleteRow", QKeySequence(Qt::Key_Delete), "deletestring");
    // Delete removes the row only from the rows' header, the ID column; elsewhere the key is the grid's.
    m_keyDeleteRow->setEnabled(false);
    connect(m_sftTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { m_keyDeleteRow->setEnabled(current.isValid() && current.column() == 0); });
}

void docResourceEditor::CreateToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setFloatable(false);
    m_toolbar->setMovable(false);
    int position = 1;
    for (const ToolbarPosition &entry : kToolbar) {
        QAction *button = entry.key ? m_toolbar->addAction(ToolbarIcon(QString::fromLatin1(entry.image)), QString())
                                    : m_toolbar->addSeparator();
        button->setObjectName(entry.key ? QString::fromLatin1(entry.key) : QStringLiteral("separator%1").arg(position));
        button->setData(entry.key ? QString::fromLatin1(entry.key) : QString());
        if (entry.key) {
            button->setShortcuts(commandKeys(QString::fromLatin1(entry.key)));
            button->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            setCommandTexts(*button, QString::fromUtf8(entry.tooltip), QString::fromUtf8(entry.menuText));
            // The toolbar and the menu run the command through the same dispatch.
            connect(button, &QAction::triggered, this, [this, button] { toolbar_ButtonClick(button); });
            addAction(button);  // so its keys act anywhere in the editor
        }
        ++position;
    }
}

QAction *docResourceEditor::toolbarButton(const QString &key) const
{
    const QList<QAction *> buttons = m_toolbar->actions();
    const int position = ToolbarKeys().indexOf(key);
    return position >= 0 && !key.isEmpty() ? buttons.value(position) : nullptr;
}

void docResourceEditor::CreateColumnMenu()
{
    m_mnuColumnMenu = new QMenu(QStringLiteral("ColumnMenu"), this);
    m_mnuColumnMenu->setObjectName(QStringLiteral("mnuColumnMenu"));
    const auto item = [this](const char *name, const QString &caption) {
        QAction *action = m_mnuColumnMenu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    m_mnuRemoveLanguage = item("mnuRemoveLanguage", QStringLiteral("Remove Language"));
    m_mnuChangeFont = item("mnuChangeFont", QStringLiteral("Change Font for Language"));
    m_mnuUseAsSource = item("mnuUseAsSource", QStringLiteral("Use as Source Language"));
    m_mnuUseAsSource->setCheckable(true);
    m_mnuSep1 = m_mnuColumnMenu->addSeparator();
    m_mnuSep1->setObjectName(QStringLiteral("mnuSep1"));
    m_mnuRemoveResourceString = item("mnuRemoveResourceString", QStringLiteral("Remove Resource String"));
    m_mnuSep2 = m_mnuColumnMenu->addSeparator();
    m_mnuSep2->setObjectName(QStringLiteral("mnuSep2"));
    m_mnuAddLanguage = item("mnuAddLanguage", QStringLiteral("Add Language"));
    m_mnuAddResourceString = item("mnuAddResourceString", QStringLiteral("Add Resource String"));
    connect(m_mnuRemoveLanguage, &QAction::triggered, this, &docResourceEditor::mnuRemoveLanguage_Click);
    connect(m_mnuChangeFont, &QAction::triggered, this, &docResourceEditor::mnuChangeFont_Click);
    connect(m_mnuUseAsSource, &QAction::triggered, this, &docResourceEditor::mnuUseAsSource_Click);
    connect(m_mnuRemoveResourceString, &QAction::triggered, this,
            &docResourceEditor::mnuRemoveResourceString_Click);
    connect(m_mnuAddLanguage, &QAction::triggered, this, &docResourceEditor::mnuAddLanguage_Click);
    connect(m_mnuAddResourceString, &QAction::triggered, this, &docResourceEditor::mnuAddResourceString_Click);
    connect(m_mnuColumnMenu, &QMenu::triggered, this, [this] { UpdateUnsavedMarks(); });
}

void docResourceEditor::lgv_UpdateControls()
{
    m_mnuAddLanguage->setText(lgv_string(87));
    m_mnuAddResourceString->setText(lgv_string(508));
    m_mnuChangeFont->setText(lgv_string(505));
    m_mnuColumnMenu->setTitle(lgv_string(504));
    m_mnuRemoveLanguage->setText(lgv_string(27));
    m_mnuRemoveResourceString->setText(lgv_string(507));
    m_mnuUseAsSource->setText(lgv_string(kUseAsSourceLanguage));
    // String 506 is "-", the separator mark; Qt would draw a separator's text as a
    // visible label, so the separators keep it as data only.
    m_mnuSep1->setData(lgv_string(506));
    m_mnuSep2->setData(lgv_string(506));

    m_pbaProgress->setAccessibleName(lgv_string(382));
    m_pbaProgress->setToolTip(lgv_string(540));

    m_sftTree->setColumnCaption(0, lgv_string(492));
    m_cboProjects->setPlaceholderText(lgv_string(kNoProjectSelected));
    nameTextlessControls(*this);

    const QList<QAction *> buttons = m_toolbar->actions();
    for (int position = 0; position < static_cast<int>(std::size(kToolbar)); ++position) {
        if (kToolbar[position].key)
            setCommandTexts(*buttons[position], lgv_string(kToolbar[position].tooltipId),
                            lgv_string(kToolbar[position].menuTextId));
    }
    RetranslateUndoSteps();
    m_mnuCopy->setText(lgv_string(771));
    m_mnuPaste->setText(lgv_string(772));
    UpdateCommandMenuTexts();
    UpdateFindTexts();
}
