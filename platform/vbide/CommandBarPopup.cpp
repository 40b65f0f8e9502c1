#include "platform/vbide/CommandBarPopup.h"

#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControls.h"

#include <QMenu>

namespace vbide {

namespace {

QString withoutMnemonic(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    return text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
}

} // namespace

CommandBarPopup::CommandBarPopup(QMenu *menu, bool ownsMenu, vbide::CommandBar *bar, CommandBarControls *parent)
    : CommandBarControl(msoControlPopup, menu->menuAction(), true, parent), m_menu(menu), m_ownsMenu(ownsMenu),
      m_bar(bar ? bar : new vbide::CommandBar(withoutMnemonic(menu->title()), menu, this))
{
}

CommandBarPopup::~CommandBarPopup()
{
    if (m_ownsMenu)
        delete m_menu.data();
}

CommandBarControls *CommandBarPopup::Controls() const
{
    return m_bar->Controls();
}

void CommandBarPopup::setCaption(const QString &caption)
{
    if (!m_menu)
        return;
    m_menu->setTitle(caption);
    m_menu->setAccessibleName(withoutMnemonic(caption));
    if (m_bar->parent() == this)
        m_bar->setObjectName(withoutMnemonic(caption));
}

void CommandBarPopup::removeFromBar()
{
    CommandBarControl::removeFromBar();
    // Its entries go with it, so their clicks no longer reach anyone.
    const QList<CommandBarControl *> entries(Controls()->begin(), Controls()->end());
    for (CommandBarControl *entry : entries)
        entry->Delete();
}

} // namespace vbide
