#pragma once

#include <QList>
#include <QObject>
#include <QVariant>

class QAction;
class QMenu;

namespace vbide {

class CommandBar;
class CommandBarControl;
class CommandBarPopup;

inline constexpr int msoControlButton = 1;
inline constexpr int msoControlPopup = 10;

class CommandBarControls : public QObject {
    Q_OBJECT
public:
    explicit CommandBarControls(CommandBar *bar);

    int Count() const { return int(m_items.size()); }
    // 1-based; nullptr out of range.
    CommandBarControl *Item(int index) const;
    QList<CommandBarControl *>::const_iterator begin() const { return m_items.cbegin(); }
    QList<CommandBarControl *>::const_iterator end() const { return m_items.cend(); }

    // Adds a button (msoControlButton) or a pop-up menu (msoControlPopup, a
    // CommandBarPopup) before the control at 1-based Before, at the end when
    // Before is 0 or out of range. Any other type gives nullptr. Id, Parameter
    // and Temporary are accepted for the object model's sake and have no effect.
    CommandBarControl *Add(int Type = msoControlButton, const QVariant &Id = {}, const QVariant &Parameter = {},
                           int Before = 0, bool Temporary = false);
    // A button showing an action its owner keeps, so that a menu entry and a
    // toolbar button are one command: text, keys, enabled state. The action
    // stays its owner's; deleting the control only takes it off this bar.
    CommandBarControl *AddAction(QAction *action, int Before = 0);

    // Host side: lists a menu the host shows in this bar already as a pop-up
    // control; its command bar is `bar` when the host has one for it.
    CommandBarPopup *adoptMenu(QMenu *menu, CommandBar *bar = nullptr);

    CommandBar *Parent() const { return m_bar; }

private:
    friend class CommandBarControl;
    void forget(CommandBarControl *control) { m_items.removeAll(control); }
    void insert(CommandBarControl *control, int before);

    CommandBar *m_bar;
    QList<CommandBarControl *> m_items;
};

} // namespace vbide
