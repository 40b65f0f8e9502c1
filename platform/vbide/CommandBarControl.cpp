#include "platform/vbide/CommandBarControl.h"

#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControls.h"
#include "platform/vbide/CommandBarEvents.h"

#include <QAction>
#include <QMenu>

namespace vbide {

CommandBarControl::CommandBarControl(int type, CommandBarControls *parent)
    : QObject(parent), m_type(type), m_action(new QAction(this)), m_events(new vbide::CommandBarEvents(this))
{
    m_action->setObjectName(QStringLiteral("commandBarControl%1").arg(parent->Count() + 1));
    connect(m_action, &QAction::triggered, this, &CommandBarControl::Execute);
}

CommandBarControl::~CommandBarControl() = default;

QString CommandBarControl::Caption() const
{
    return m_action->text();
}

void CommandBarControl::setCaption(const QString &caption)
{
    m_action->setText(caption);
    m_action->setStatusTip(caption);
}

bool CommandBarControl::Enabled() const
{
    return m_action->isEnabled();
}

void CommandBarControl::setEnabled(bool enabled)
{
    m_action->setEnabled(enabled);
}

void CommandBarControl::Delete(bool)
{
    if (m_deleted)
        return;
    m_deleted = true;
    auto *controls = static_cast<CommandBarControls *>(parent());
    if (QMenu *menu = controls->Parent()->menu())
        menu->removeAction(m_action);
    m_action->setEnabled(false);
    controls->forget(this);
    deleteLater();
}

void CommandBarControl::Execute()
{
    if (m_deleted)
        return;
    bool handled = false;
    bool cancelDefault = false;
    emit m_events->Click(this, handled, cancelDefault);
}

} // namespace vbide
