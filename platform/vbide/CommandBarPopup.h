#pragma once

#include "platform/vbide/CommandBarControl.h"

#include <QPointer>

class QMenu;

namespace vbide {

class CommandBar;

// A command bar entry that opens a menu of its own (msoControlPopup): its
// CommandBar holds the menu's entries.
class CommandBarPopup : public CommandBarControl {
    Q_OBJECT
public:
    // The control owns the menu when `ownsMenu`; bar: the menu's command bar, a new one when null.
    CommandBarPopup(QMenu *menu, bool ownsMenu, vbide::CommandBar *bar, CommandBarControls *parent);
    ~CommandBarPopup() override;

    vbide::CommandBar *CommandBar() const { return m_bar; }
    vbide::CommandBarControls *Controls() const;
    // The caption is the menu's title; screen readers name the opened menu by it too.
    void setCaption(const QString &caption) override;

    QMenu *menu() const { return m_menu.data(); }

protected:
    void removeFromBar() override;

private:
    QPointer<QMenu> m_menu;
    bool m_ownsMenu;
    vbide::CommandBar *m_bar;
};

} // namespace vbide
