#include "platform/vbide/CommandBarControls.h"

#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControl.h"
#include "platform/vbide/CommandBarPopup.h"

#include <QAction>
#include <QMenu>

namespace vbide {

CommandBarControls::CommandBarControls(CommandBar *bar) : QObject(bar), m_bar(bar) {}

CommandBarControl *CommandBarControls::Item(int index) const
{
    return index >= 1 && index <= m_items.size() ? m_items[index - 1] : nullptr;
}

CommandBarControl *CommandBarControls::Add(int Type, const QVariant &, const QVariant &, int Before, bool)
{
    CommandBarControl *control = nullptr;
    if (Type == msoControlButton) {
        control = new CommandBarControl(Type, new QAction(nullptr), false, this);
    } else if (Type == msoControlPopup) {
        auto *menu = new QMenu(m_bar->widget());
        menu->setObjectName(QStringLiteral("commandBarPopup%1").arg(Count() + 1));
        control = new CommandBarPopup(menu, true, nullptr, this);
    } else {
        return nullptr;
    }
    insert(control, Before);
    return control;
}

CommandBarControl *CommandBarControls::AddAction(QAction *action, int Before)
{
    if (!action)
        return nullptr;
    auto *control = new CommandBarControl(msoControlButton, action, true, this);
    insert(control, Before);
    return control;
}

CommandBarPopup *CommandBarControls::adoptMenu(QMenu *menu, CommandBar *bar)
{
    auto *popup = new CommandBarPopup(menu, false, bar, this);
    m_items.append(popup);
    return popup;
}

void CommandBarControls::insert(CommandBarControl *control, int before)
{
    CommandBarControl *next = Item(before);
    if (QWidget *widget = m_bar->widget())
        widget->insertAction(next ? next->frontAction() : nullptr, control->action());
    if (next)
        m_items.insert(before - 1, control);
    else
        m_items.append(control);
}

} // namespace vbide
