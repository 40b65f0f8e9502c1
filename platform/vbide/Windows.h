#pragma once

#include "platform/common/Result.h"

#include <QList>
#include <QObject>
#include <QString>

class QMainWindow;
class QWidget;

namespace vbide {

class AddIn;
class Window;

// The host's windows: the project explorer and the add-ins' tool windows.
class Windows : public QObject {
    Q_OBJECT
public:
    Windows(QMainWindow *mainWindow, QObject *parent = nullptr);
    ~Windows() override;

    int Count() const { return int(m_items.size()); }
    // 1-based; nullptr out of range.
    Window *Item(int index) const;
    QList<Window *>::const_iterator begin() const { return m_items.cbegin(); }
    QList<Window *>::const_iterator end() const { return m_items.cend(); }

    // Creates a dockable tool window for an add-in holding a new object of
    // ProgID (which must be a widget); DocObj receives that object. The window
    // starts hidden, docked where the last window of GuidPosition was, at its
    // size. It is destroyed, with its document, when the add-in disconnects.
    qm::Result<Window *> CreateToolWindow(AddIn *AddInInst, const QString &ProgID, const QString &Caption,
                                          const QString &GuidPosition, QObject *&DocObj);

    // Host side.
    Window *addHostWindow(const QString &caption, QWidget *content, const QString &guidPosition);
    void destroyToolWindowsOf(AddIn *addIn);
    Window *active() const;
    void setActive(Window *window);

    // The default arrangement: the project explorer a narrow column at the
    // left, the tool windows (tabbed, the first in front) taking the rest; all shown.
    void resetLayout();
    // Gives the explorer its narrow width and the tool windows beside it the rest.
    void sizeByDefault();
    Window *projectWindow() const;

signals:
    // A window was added or removed, shown or hidden, docked or floated.
    void arrangementChanged();

private:
    Window *createWindow(const QString &caption, QWidget *content, const QString &guidPosition,
                         AddIn *owner);
    void onFocusChanged(QWidget *now);
    void placeByDefault(Window *window);
    QList<Window *> toolWindows() const;

    QMainWindow *m_mainWindow;
    QList<Window *> m_items;
    Window *m_active = nullptr;
};

} // namespace vbide
