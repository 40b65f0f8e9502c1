#include "platform/vbide/CommandBar.h"

#include "platform/vbide/CommandBarControls.h"
#include "platform/vbide/CommandBars.h"

#include <QMenu>

namespace vbide {

CommandBar::CommandBar(const QString &name, QMenu *menu, CommandBars *parent)
    : QObject(parent), m_menu(menu)
{
    setObjectName(name);
    m_controls = new vbide::CommandBarControls(this);
}

QMenu *CommandBar::menu() const
{
    return m_menu.data();
}

void CommandBar::Delete()
{
    if (auto *bars = qobject_cast<CommandBars *>(parent()))
        bars->forget(this);
    if (m_menu) {
        m_menu->menuAction()->setVisible(false);
        m_menu->setEnabled(false);
    }
    deleteLater();
}

} // namespace vbide
