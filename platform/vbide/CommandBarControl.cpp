#include "platform/vbide/CommandBarControl.h"

#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControls.h"
#include "platform/vbide/CommandBarEvents.h"

#include <QAction>
#include <QWidget>

namespace vbide {

CommandBarControl::CommandBarControl(int type, QAction *action, bool shared, CommandBarControls *parent)
    : QObject(parent), m_type(type), m_action(action), m_shared(shared),
      m_events(new vbide::CommandBarEvents(this))
{
    if (!shared) {
        action->setParent(this);
        if (action->objectName().isEmpty())
            action->setObjectName(QStringLiteral("commandBarControl%1").arg(parent->Count() + 1));
    }
    if (type == msoControlButton)
        connect(action, &QAction::triggered, this, &CommandBarControl::Execute);
}

CommandBarControl::~CommandBarControl() = default;

CommandBarControls *CommandBarControl::controls() const
{
    return static_cast<CommandBarControls *>(parent());
}

QString CommandBarControl::Caption() const
{
    return m_action ? m_action->text() : QString();
}

void CommandBarControl::setCaption(const QString &caption)
{
    if (!m_action)
        return;
    m_action->setText(caption);
    if (!m_shared)
        m_action->setStatusTip(caption);
}

bool CommandBarControl::Enabled() const
{
    return m_action && m_action->isEnabled();
}

void CommandBarControl::setEnabled(bool enabled)
{
    if (m_action)
        m_action->setEnabled(enabled);
}

void CommandBarControl::setBeginGroup(bool beginGroup)
{
    if (beginGroup == BeginGroup() || m_deleted)
        return;
    QWidget *widget = controls()->Parent()->widget();
    if (!beginGroup) {
        if (widget)
            widget->removeAction(m_separator);
        delete m_separator;
        m_separator = nullptr;
        return;
    }
    m_separator = new QAction(this);
    m_separator->setSeparator(true);
    if (widget && m_action)
        widget->insertAction(m_action, m_separator);
}

QAction *CommandBarControl::frontAction() const
{
    return m_separator ? m_separator : m_action.data();
}

int CommandBarControl::Index() const
{
    int index = 1;
    for (CommandBarControl *control : *controls()) {
        if (control == this)
            return index;
        ++index;
    }
    return 0;
}

void CommandBarControl::removeFromBar()
{
    QWidget *widget = controls()->Parent()->widget();
    if (!widget)
        return;
    if (m_separator)
        widget->removeAction(m_separator);
    if (m_action)
        widget->removeAction(m_action);
}

void CommandBarControl::Delete(bool)
{
    if (m_deleted)
        return;
    m_deleted = true;
    removeFromBar();
    if (m_action) {
        disconnect(m_action, nullptr, this, nullptr);
        if (!m_shared)
            m_action->setEnabled(false);
    }
    controls()->forget(this);
    deleteLater();
}

void CommandBarControl::Execute()
{
    if (m_deleted || m_type != msoControlButton)
        return;
    bool handled = false;
    bool cancelDefault = false;
    emit m_events->Click(this, handled, cancelDefault);
}

} // namespace vbide
