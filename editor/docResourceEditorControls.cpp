// The editor's controls: toolbar, project list, progress bar, grid and column
// menu, with their design-time texts, and the routine that sets their texts
// in the current UI language.
#include "editor/docResourceEditor.h"

#include "editor/ToolbarIcons.h"

#include "platform/win32/SftTree.h"
#include "uistrings/LgvStringModule.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include "platform/win32/SftTreeCellEditor.h"
#include <QMenu>
#include <QProgressBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

using LgvStringModule::lgv_string;

namespace {
struct ToolbarPosition {
    const char *key;  // nullptr: a separator
    const char *image;  // key of the drawn toolbar image
    int tooltipId;
    const char *tooltip;  // the design-time text, which is the English one
};

// The 17 positions, left to right.
const ToolbarPosition kToolbar[] = {
    {"refresh", "refresh", 493, "Read the resource file again"},
    {nullptr, nullptr, 0, nullptr},
    {"new", "new", 494, "Create resource file for this project"},
    {"save", "save", 495, "Save to the resource file"},
    {nullptr, nullptr, 0, nullptr},
    {"insertstring", "insertrow", 496, "Add a new resource string"},
    {"addlanguage", "resourcestring", 497, "Add string table for a new language"},
    {nullptr, nullptr, 0, nullptr},
    {"deletestring", "deleterow", 498, "Delete resource string"},
    {"removelanguage", "deletestringtable", 499, "Remove language table for language"},
    {nullptr, nullptr, 0, nullptr},
    {"excel", "excel", 452, "Excel Import/Export"},
    {nullptr, nullptr, 0, nullptr},
    {"properties", "properties", 500, "Set properties of the Quill Resource String Editor"},
    {"info", "info", 501, "About the Quill Resource String Editor"},
    {"help", "help", 138, "Help"},
    {"switch", "switch", 461, "Change Language"},
};
static_assert(std::size(kToolbar) == 17);

void setButtonTip(QAction &button, const QString &text)
{
    button.setToolTip(text);
    button.setText(text);  // the tool button's accessible name
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
    connect(m_sftTree, &win32::SftTree::CEKeyDown, this, &docResourceEditor::SftTree_CEKeyDown);
    connect(m_sftTree, &win32::SftTree::ColumnLayoutChanged, this, &docResourceEditor::StoreColumnLayout);

    CreateColumnMenu();
    nameTextlessControls(*this);
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
        if (entry.key)
            setButtonTip(*button, QString::fromUtf8(entry.tooltip));
        ++position;
    }
    connect(m_toolbar, &QToolBar::actionTriggered, this, &docResourceEditor::toolbar_ButtonClick);
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
    m_mnuSep1 = m_mnuColumnMenu->addSeparator();
    m_mnuSep1->setObjectName(QStringLiteral("mnuSep1"));
    m_mnuRemoveResourceString = item("mnuRemoveResourceString", QStringLiteral("Remove Resource String"));
    m_mnuSep2 = m_mnuColumnMenu->addSeparator();
    m_mnuSep2->setObjectName(QStringLiteral("mnuSep2"));
    m_mnuAddLanguage = item("mnuAddLanguage", QStringLiteral("Add Language"));
    m_mnuAddResourceString = item("mnuAddResourceString", QStringLiteral("Add Resource String"));
    connect(m_mnuRemoveLanguage, &QAction::triggered, this, &docResourceEditor::mnuRemoveLanguage_Click);
    connect(m_mnuChangeFont, &QAction::triggered, this, &docResourceEditor::mnuChangeFont_Click);
    connect(m_mnuRemoveResourceString, &QAction::triggered, this,
            &docResourceEditor::mnuRemoveResourceString_Click);
    connect(m_mnuAddLanguage, &QAction::triggered, this, &docResourceEditor::mnuAddLanguage_Click);
    connect(m_mnuAddResourceString, &QAction::triggered, this, &docResourceEditor::mnuAddResourceString_Click);
}

void docResourceEditor::lgv_UpdateControls()
{
    m_mnuAddLanguage->setText(lgv_string(87));
    m_mnuAddResourceString->setText(lgv_string(508));
    m_mnuChangeFont->setText(lgv_string(505));
    m_mnuColumnMenu->setTitle(lgv_string(504));
    m_mnuRemoveLanguage->setText(lgv_string(27));
    m_mnuRemoveResourceString->setText(lgv_string(507));
    // String 506 is "-", the separator mark; Qt would draw a separator's text as a
    // visible label, so the separators keep it as data only.
    m_mnuSep1->setData(lgv_string(506));
    m_mnuSep2->setData(lgv_string(506));

    m_pbaProgress->setAccessibleName(lgv_string(382));
    m_pbaProgress->setToolTip(lgv_string(540));

    m_sftTree->setColumnCaption(0, lgv_string(492));
    nameTextlessControls(*this);

    const QList<QAction *> buttons = m_toolbar->actions();
    for (int position = 0; position < static_cast<int>(std::size(kToolbar)); ++position) {
        if (kToolbar[position].key)
            setButtonTip(*buttons[position], lgv_string(kToolbar[position].tooltipId));
    }
}
