#pragma once

#include <QObject>

namespace vbide {

class CommandBarControl;
class CommandBarEvents;
class VBProjectsEvents;

// The host's event sources.
class Events : public QObject {
    Q_OBJECT
public:
    explicit Events(QObject *parent = nullptr);

    vbide::VBProjectsEvents *VBProjectsEvents() const { return m_projectsEvents; }
    // The click event source of one control (always the same object for it); nullptr for none.
    vbide::CommandBarEvents *CommandBarEvents(CommandBarControl *control) const;

private:
    vbide::VBProjectsEvents *m_projectsEvents;
};

} // namespace vbide
