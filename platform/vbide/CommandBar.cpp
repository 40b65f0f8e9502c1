#include "platform/vbide/CommandBar.h"

#include "platform/vbide/CommandBarControls.h"
#include "platform/vbide/CommandBars.h"

#include <QMenu>

namespace vbide {

CommandBar::CommandBar(const QString &name, QWidget *widget, QObject *parent)
    : QObject(parent), m_widget(widget)
{
    setObjectName(name);
    m_controls = new vbide::CommandBarControls(this);
}

QMenu *CommandBar::menu() const
{
    return qobject_cast<QMenu *>(m_widget.data());
}

void CommandBar::Delete()
{
    if (auto *bars = qobject_cast<CommandBars *>(parent()))
        bars->forget(this);
    if (QMenu *shown = menu()) {
        shown->menuAction()->setVisible(false);
        shown->setEnabled(false);
    }
    deleteLater();
}

} // namespace vbide
