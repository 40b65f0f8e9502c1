#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QMenu;

namespace vbide {

class CommandBarControls;
class CommandBars;

class CommandBar : public QObject {
    Q_OBJECT
public:
    CommandBar(const QString &name, QMenu *menu, CommandBars *parent);

    QString Name() const { return objectName(); }
    vbide::CommandBarControls *Controls() const { return m_controls; }
    // Removes the bar from CommandBars; the object goes when control returns to the event loop.
    void Delete();

    QMenu *menu() const;

private:
    QPointer<QMenu> m_menu;
    vbide::CommandBarControls *m_controls;
};

} // namespace vbide
