#include "platform/vbide/CommandBarControls.h"

#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControl.h"

#include <QAction>
#include <QMenu>

namespace vbide {

CommandBarControls::CommandBarControls(CommandBar *bar) : QObject(bar), m_bar(bar) {}

CommandBarControl *CommandBarControls::Item(int index) const
{
    return index >= 1 && index <= m_items.size() ? m_items[index - 1] : nullptr;
}

CommandBarControl *CommandBarControls::Add(int Type)
{
    if (Type != msoControlButton)
        return nullptr;
    auto *control = new CommandBarControl(Type, this);
    m_items.append(control);
    if (QMenu *menu = m_bar->menu())
        menu->addAction(control->action());
    return control;
}

} // namespace vbide
