#include "platform/vbide/Windows.h"

#include "platform/vbide/AddIn.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/Window.h"

#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QRegularExpression>

#include <algorithm>

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
    if (!window->hasRememberedPlace())
        placeByDefault(window);
    const auto changed = [this] { emit arrangementChanged(); };
    connect(dock, &QDockWidget::visibilityChanged, this, changed);
    connect(dock, &QDockWidget::topLevelChanged, this, changed);
    connect(dock, &QDockWidget::dockLocationChanged, this, changed);
    emit arrangementChanged();
    return window;
}

Window *Windows::projectWindow() const
{
    for (Window *window : m_items) {
        if (window->Type() == vbext_wt_ProjectWindow)
            return window;
    }
    return nullptr;
}

QList<Window *> Windows::toolWindows() const
{
    QList<Window *> tools;
    for (Window *window : m_items) {
        if (window->Type() == vbext_wt_ToolWindow && window->dockWidget())
            tools.append(window);
    }
    return tools;
}

void Windows::placeByDefault(Window *window)
{
    QDockWidget *dock = window->dockWidget();
    if (!m_mainWindow) {
        dock->setFloating(true);
        dock->hide();
        return;
    }
    Window *explorer = projectWindow();
    const QList<Window *> tools = toolWindows();
    if (window->Type() == vbext_wt_ProjectWindow) {
        m_mainWindow->addDockWidget(Qt::LeftDockWidgetArea, dock);
    } else if (tools.first() != window && !tools.first()->dockWidget()->isFloating()) {
        m_mainWindow->tabifyDockWidget(tools.first()->dockWidget(), dock);
    } else if (explorer && explorer->dockWidget() && !explorer->dockWidget()->isFloating()
               && m_mainWindow->dockWidgetArea(explorer->dockWidget()) == Qt::LeftDockWidgetArea) {
        // Beside the explorer in the same area: the two share the window's width between them.
        m_mainWindow->splitDockWidget(explorer->dockWidget(), dock, Qt::Horizontal);
    } else {
        m_mainWindow->addDockWidget(Qt::RightDockWidgetArea, dock);
    }
    dock->hide();
    window->setSizeByDefaultWhenShown(true);
}

void Windows::sizeByDefault()
{
    if (!m_mainWindow)
        return;
    constexpr int kExplorerWidth = 240;
    constexpr int kExplorerShare = 5;  // at most a fifth of a narrow window
    Window *explorer = projectWindow();
    QList<QDockWidget *> docks;
    QList<int> widths;
    const int width = m_mainWindow->width();
    int explorerWidth = 0;
    if (explorer && explorer->dockWidget() && explorer->Visible() && !explorer->dockWidget()->isFloating()) {
        explorerWidth = std::min(kExplorerWidth, width / kExplorerShare);
        docks.append(explorer->dockWidget());
        widths.append(explorerWidth);
    }
    for (Window *tool : toolWindows()) {
        QDockWidget *dock = tool->dockWidget();
        if (tool->Visible() && !dock->isFloating()) {
            docks.append(dock);
            widths.append(std::max(width - explorerWidth, 1));
            break;  // the others are tabs behind it
        }
    }
    if (docks.size() > 1)
        m_mainWindow->resizeDocks(docks, widths, Qt::Horizontal);
}

void Windows::resetLayout()
{
    if (!m_mainWindow)
        return;
    Window *explorer = projectWindow();
    if (explorer && explorer->dockWidget()) {
        QDockWidget *dock = explorer->dockWidget();
        dock->setFloating(false);
        m_mainWindow->addDockWidget(Qt::LeftDockWidgetArea, dock);
        dock->show();
    }
    QDockWidget *front = nullptr;
    for (Window *tool : toolWindows()) {
        QDockWidget *dock = tool->dockWidget();
        dock->setFloating(false);
        if (front)
            m_mainWindow->tabifyDockWidget(front, dock);
        else if (explorer && explorer->dockWidget())
            m_mainWindow->splitDockWidget(explorer->dockWidget(), dock, Qt::Horizontal);
        else
            m_mainWindow->addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->show();
        tool->setSizeByDefaultWhenShown(false);
        if (!front)
            front = dock;
    }
    if (front)
        front->raise();
    sizeByDefault();
    for (Window *window : m_items)
        window->storeLayout();
    emit arrangementChanged();
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
        emit arrangementChanged();
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
