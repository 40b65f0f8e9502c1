#include "platform/vbide/Events.h"

#include "platform/vbide/CommandBarControl.h"
#include "platform/vbide/VBProjectsEvents.h"

namespace vbide {

Events::Events(QObject *parent)
    : QObject(parent), m_projectsEvents(new vbide::VBProjectsEvents(this))
{
}

vbide::CommandBarEvents *Events::CommandBarEvents(CommandBarControl *control) const
{
    return control ? control->events() : nullptr;
}

} // namespace vbide
