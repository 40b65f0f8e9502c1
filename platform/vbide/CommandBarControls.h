#pragma once

#include <QList>
#include <QObject>

namespace vbide {

class CommandBar;
class CommandBarControl;

inline constexpr int msoControlButton = 1;

class CommandBarControls : public QObject {
    Q_OBJECT
public:
    explicit CommandBarControls(CommandBar *bar);

    int Count() const { return int(m_items.size()); }
    // 1-based; nullptr out of range.
    CommandBarControl *Item(int index) const;
    QList<CommandBarControl *>::const_iterator begin() const { return m_items.cbegin(); }
    QList<CommandBarControl *>::const_iterator end() const { return m_items.cend(); }

    // Adds a control at the end; only buttons (msoControlButton) are supported,
    // any other type gives nullptr.
    CommandBarControl *Add(int Type = msoControlButton);

    CommandBar *Parent() const { return m_bar; }

private:
    friend class CommandBarControl;
    void forget(CommandBarControl *control) { m_items.removeAll(control); }

    CommandBar *m_bar;
    QList<CommandBarControl *> m_items;
};

} // namespace vbide
