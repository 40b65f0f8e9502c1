#pragma once

#include <QObject>
#include <QString>

class QAction;

namespace vbide {

class CommandBarControls;
class CommandBarEvents;

class CommandBarControl : public QObject {
    Q_OBJECT
public:
    CommandBarControl(int type, CommandBarControls *parent);
    ~CommandBarControl() override;

    int Type() const { return m_type; }
    QString Caption() const;
    void setCaption(const QString &caption);
    bool Enabled() const;
    void setEnabled(bool enabled);
    // Removes the control from its bar; the object goes when control returns to the event loop.
    // Temporary is accepted for the object model's sake and has no effect.
    void Delete(bool Temporary = false);
    // Runs the control as a click does.
    void Execute();

    // The menu action behind the control (host side).
    QAction *action() const { return m_action; }
    vbide::CommandBarEvents *events() const { return m_events; }

private:
    int m_type;
    QAction *m_action;
    vbide::CommandBarEvents *m_events;
    bool m_deleted = false;
};

} // namespace vbide
