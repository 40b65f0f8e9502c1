#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QDockWidget;
class QMainWindow;

namespace vbide {

class AddIn;

inline constexpr int vbext_wt_ProjectWindow = 6;
inline constexpr int vbext_wt_ToolWindow = 15;

// A dockable host window. Its dock position and size are kept in the settings
// under its position GUID.
class Window : public QObject {
    Q_OBJECT
public:
    Window(QDockWidget *dock, QMainWindow *mainWindow, QString guidPosition, AddIn *owner, int type,
           QObject *parent);
    ~Window() override;

    QString Caption() const;
    int Type() const { return m_type; }
    bool Visible() const;
    void setVisible(bool visible);
    // Shows the window and gives it the keyboard focus.
    void SetFocus();

    QDockWidget *dockWidget() const;
    QString guidPosition() const { return m_guid; }
    AddIn *owner() const { return m_owner; }
    // Stores the current dock position and size under the position GUID.
    void storeLayout() const;

private:
    void restoreLayout();

    QPointer<QDockWidget> m_dock;
    QMainWindow *m_mainWindow;
    QString m_guid;
    AddIn *m_owner;
    int m_type;
    bool m_wantVisible = false;
};

} // namespace vbide
