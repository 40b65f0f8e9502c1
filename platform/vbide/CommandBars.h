#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QWidget;

namespace vbide {

class CommandBar;

class CommandBars : public QObject {
    Q_OBJECT
public:
    explicit CommandBars(QObject *parent = nullptr);

    int Count() const { return int(m_items.size()); }
    // 1-based; nullptr out of range.
    CommandBar *Item(int index) const;
    // By name ("Add-Ins"), without case; nullptr when there is none.
    CommandBar *Item(const QString &name) const;
    QList<CommandBar *>::const_iterator begin() const { return m_items.cbegin(); }
    QList<CommandBar *>::const_iterator end() const { return m_items.cend(); }

    // Host side: a new command bar shown as a QMenu or QMenuBar (which may be null headless).
    CommandBar *Add(const QString &name, QWidget *widget);

private:
    friend class CommandBar;
    void forget(CommandBar *bar) { m_items.removeAll(bar); }

    QList<CommandBar *> m_items;
};

} // namespace vbide
