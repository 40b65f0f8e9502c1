#pragma once

#include <QObject>

namespace vbide {

class CommandBarControl;

// The click event source of one command bar control (Events::CommandBarEvents).
// Handlers are called directly, in connection order; each may set the flags.
class CommandBarEvents : public QObject {
    Q_OBJECT
public:
    explicit CommandBarEvents(QObject *parent = nullptr) : QObject(parent) {}

signals:
    void Click(vbide::CommandBarControl *CommandBarControl, bool &handled, bool &CancelDefault);
};

} // namespace vbide
