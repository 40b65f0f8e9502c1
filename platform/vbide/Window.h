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
// under its position GUID. Its title bar shows its caption and, after a dash,
// the title of the document inside, with the document's modified mark.
class Window : public QObject {
    Q_OBJECT
public:
    Window(QDockWidget *dock, QMainWindow *mainWindow, QString guidPosition, AddIn *owner, int type,
           QObject *parent);
    ~Window() override;

    QString Caption() const { return m_caption; }
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
    // False when nothing was remembered for the window: the host then gives it its default place.
    bool hasRememberedPlace() const { return m_remembered; }
    // The default place takes its size once the window is first shown.
    void setSizeByDefaultWhenShown(bool pending) { m_sizePending = pending; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool restoreLayout();
    void showDocumentTitle();

    QPointer<QDockWidget> m_dock;
    QPointer<QWidget> m_content;
    QMainWindow *m_mainWindow;
    QString m_caption;
    QString m_guid;
    AddIn *m_owner;
    int m_type;
    bool m_remembered = false;
    bool m_sizePending = false;
};

} // namespace vbide
