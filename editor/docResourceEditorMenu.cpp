// The editor's menu in the host's menu bar, added through the host's command
// bars as an add-in adds its menu entries: the commands' own actions, in the
// order and groups of the command table.
#include "editor/docResourceEditor.h"

#include "editor/EditorCommands.h"

#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControl.h"
#include "platform/vbide/CommandBarControls.h"
#include "platform/vbide/CommandBarPopup.h"
#include "platform/vbide/CommandBars.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/Window.h"
#include "platform/vbide/Windows.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QDockWidget>
#include <QMenu>

using LgvStringModule::lgv_string;

namespace {
constexpr int kMenuTitle = 600;  // "&Strings"

// The position of the host's "Add-Ins" menu in its menu bar; 0 when it has none.
int addInsPosition(vbide::CommandBars &bars, vbide::CommandBar &menuBar)
{
    vbide::CommandBar *addIns = bars.Item(QStringLiteral("Add-Ins"));
    for (vbide::CommandBarControl *control : *menuBar.Controls()) {
        auto *popup = qobject_cast<vbide::CommandBarPopup *>(control);
        if (popup && addIns && popup->CommandBar() == addIns)
            return control->Index();
    }
    return 0;
}
} // namespace

vbide::CommandBarPopup *docResourceEditor::CommandMenu() const
{
    return m_commandMenu.data();
}

void docResourceEditor::AddCommandMenu()
{
    qm::trap("AddCommandMenu", [&] {
        if (!m_vbe || m_commandMenu)
            return;
        vbide::CommandBar *menuBar = m_vbe->CommandBars()->Item(QStringLiteral("Menu Bar"));
        if (!menuBar)
            return;  // a host without a menu bar: the toolbar alone
        const int before = addInsPosition(*m_vbe->CommandBars(), *menuBar);
        m_commandMenu = qobject_cast<vbide::CommandBarPopup *>(
            menuBar->Controls()->Add(vbide::msoControlPopup, {}, {}, before));
        if (!m_commandMenu)
            qm::raise(QStringLiteral("The host's menu bar did not accept a menu."));
        m_commandMenu->menu()->setObjectName(QStringLiteral("mnuStrings"));
        m_commands->fillCommandBar(*m_commandMenu->Controls());
        UpdateCommandMenuTexts();
    });
}

void docResourceEditor::ShowOwnWindow()
{
    if (!m_vbe || isVisible())
        return;
    for (vbide::Window *window : *m_vbe->Windows()) {
        if (window->dockWidget() && window->dockWidget()->isAncestorOf(this)) {
            window->setVisible(true);
            return;
        }
    }
}

void docResourceEditor::RemoveCommandMenu()
{
    if (m_commandMenu)
        m_commandMenu->Delete();
    m_commandMenu = nullptr;
}

void docResourceEditor::UpdateCommandMenuTexts()
{
    if (m_commandMenu)
        m_commandMenu->setCaption(lgv_string(kMenuTitle));
}
