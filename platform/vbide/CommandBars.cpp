#include "platform/vbide/CommandBars.h"

#include "platform/vbide/CommandBar.h"

namespace vbide {

CommandBars::CommandBars(QObject *parent) : QObject(parent) {}

CommandBar *CommandBars::Item(int index) const
{
    return index >= 1 && index <= m_items.size() ? m_items[index - 1] : nullptr;
}

CommandBar *CommandBars::Item(const QString &name) const
{
    for (CommandBar *bar : m_items) {
        if (bar->Name().compare(name, Qt::CaseInsensitive) == 0)
            return bar;
    }
    return nullptr;
}

CommandBar *CommandBars::Add(const QString &name, QWidget *widget)
{
    auto *bar = new CommandBar(name, widget, this);
    m_items.append(bar);
    return bar;
}

} // namespace vbide
