#include "platform/vbide/Windows.h"

#include "platform/vbide/AddIn.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/Window.h"

#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QRegularExpression>

namespace vbide {

Windows::Windows(QMainWindow *mainWindow, QObject *parent) : QObject(parent), m_mainWindow(mainWindow)
{
    if (qApp)
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { onFocusChanged(now); });
}

Windows::~Windows()
{
    const QList<Window *> windows = m_items;
    m_items.clear();
    m_active = nullptr;
    qDeleteAll(windows);
}

Window *Windows::Item(int index) const
{
    return index >= 1 && index <= m_items.size() ? m_items[index - 1] : nullptr;
}

qm::Result<Window *> Windows::CreateToolWindow(AddIn *AddInInst, const QString &ProgID, const QString &Caption,
                                               const QString &GuidPosition, QObject *&DocObj)
{
    DocObj = nullptr;
    static const QRegularExpression guid(QStringLiteral(
        "^\\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\}$"));
    if (!AddInInst)
        return qm::makeError(QStringLiteral("A tool window can only be created for a connected add-in."));
    if (!guid.match(GuidPosition).hasMatch())
        return qm::makeError(QStringLiteral("\"%1\" is not a valid position GUID; expected {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}.")
                                 .arg(GuidPosition));
    for (Window *window : m_items) {
        if (window->guidPosition().compare(GuidPosition, Qt::CaseInsensitive) == 0)
            return qm::makeError(QStringLiteral("A tool window with the position GUID %1 already exists.").arg(GuidPosition));
    }
    qm::Result<QObject *> object = createObject(ProgID);
    if (!object)
        return object.error();
    auto *content = qobject_cast<QWidget *>(*object);
    if (!content) {
        delete *object;
        return qm::makeError(QStringLiteral("%1 cannot be placed in a tool window: it is not a window document.").arg(ProgID));
    }
    Window *window = createWindow(Caption, content, GuidPosition, AddInInst);
    DocObj = content;
    return window;
}

Window *Windows::addHostWindow(const QString &caption, QWidget *content, const QString &guidPosition)
{
    return createWindow(caption, content, guidPosition, nullptr);
}

Window *Windows::createWindow(const QString &caption, QWidget *content, const QString &guidPosition, AddIn *owner)
{
    auto *dock = new QDockWidget(caption, m_mainWindow);
    QString name = guidPosition;
    name.remove(QRegularExpression(QStringLiteral("[{}-]")));
    dock->setObjectName(QStringLiteral("toolWindow_") + name);
    dock->setAccessibleName(caption);
    dock->setWidget(content);
    auto *window = new Window(dock, m_mainWindow, guidPosition, owner,
                              owner ? vbext_wt_ToolWindow : vbext_wt_ProjectWindow, this);
    m_items.append(window);
    return window;
}

void Windows::destroyToolWindowsOf(AddIn *addIn)
{
    const QList<Window *> windows = m_items;
    for (Window *window : windows) {
        if (window->owner() != addIn)
            continue;
        m_items.removeAll(window);
        if (m_active == window)
            m_active = nullptr;
        delete window;
    }
}

Window *Windows::active() const
{
    return m_active;
}

void Windows::setActive(Window *window)
{
    m_active = m_items.contains(window) ? window : nullptr;
}

void Windows::onFocusChanged(QWidget *now)
{
    for (QWidget *widget = now; widget; widget = widget->parentWidget()) {
        for (Window *window : m_items) {
            if (window->dockWidget() == widget) {
                m_active = window;
                return;
            }
        }
    }
}

} // namespace vbide
