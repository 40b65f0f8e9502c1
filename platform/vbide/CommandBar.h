#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QMenu;
class QWidget;

namespace vbide {

class CommandBarControls;
class CommandBars;

// A menu, a menu bar or a pop-up menu's list of entries; its controls are the
// entries the host and the add-ins put into it.
class CommandBar : public QObject {
    Q_OBJECT
public:
    // widget: the QMenu or QMenuBar that shows the bar (may be null headless).
    CommandBar(const QString &name, QWidget *widget, QObject *parent);

    QString Name() const { return objectName(); }
    vbide::CommandBarControls *Controls() const { return m_controls; }
    // Removes the bar from CommandBars; the object goes when control returns to the event loop.
    void Delete();

    QMenu *menu() const;
    QWidget *widget() const { return m_widget.data(); }

private:
    QPointer<QWidget> m_widget;
    vbide::CommandBarControls *m_controls;
};

} // namespace vbide
