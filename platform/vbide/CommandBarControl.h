#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QAction;

namespace vbide {

class CommandBarControls;
class CommandBarEvents;

// One entry of a command bar: a button, or a pop-up menu (CommandBarPopup).
class CommandBarControl : public QObject {
    Q_OBJECT
public:
    // action: the entry shown. The control owns it unless `shared`: a shared
    // action belongs to the add-in, which shows it elsewhere too (a toolbar).
    CommandBarControl(int type, QAction *action, bool shared, CommandBarControls *parent);
    ~CommandBarControl() override;

    int Type() const { return m_type; }
    QString Caption() const;
    virtual void setCaption(const QString &caption);
    bool Enabled() const;
    void setEnabled(bool enabled);
    // Whether a separator stands before the control.
    bool BeginGroup() const { return m_separator != nullptr; }
    void setBeginGroup(bool beginGroup);
    // 1-based position in its bar.
    int Index() const;
    // Removes the control from its bar; the object goes when control returns to the event loop.
    // Temporary is accepted for the object model's sake and has no effect.
    void Delete(bool Temporary = false);
    // Runs the control as a click does.
    void Execute();

    // The menu action behind the control (host side); nullptr once a shared action is gone.
    QAction *action() const { return m_action.data(); }
    vbide::CommandBarEvents *events() const { return m_events; }
    // The first action the control shows in its bar: its separator, or its own action.
    QAction *frontAction() const;

protected:
    vbide::CommandBarControls *controls() const;
    // Takes what the control shows out of its bar's widget.
    virtual void removeFromBar();

private:
    int m_type;
    QPointer<QAction> m_action;
    bool m_shared;
    QAction *m_separator = nullptr;
    vbide::CommandBarEvents *m_events;
    bool m_deleted = false;
};

} // namespace vbide
