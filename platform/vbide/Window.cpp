#include "platform/vbide/Window.h"

#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/HostRegistry.h"
#include "platform/vbide/Windows.h"

#include <QDockWidget>
#include <QEvent>
#include <QMainWindow>

namespace vbide {

namespace {

QString layoutKey(const QString &guid)
{
    return QLatin1String(HostRegistryRoot) + QStringLiteral("\\ToolWindows\\") + guid;
}

std::uint32_t storedOr(const QString &key, const char *name, std::uint32_t fallback)
{
    qm::Result<std::uint32_t> value = reg::readDword(win32::HKEY_CURRENT_USER, key, QLatin1String(name));
    return value ? *value : fallback;
}

bool isDockArea(std::uint32_t area)
{
    return area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea || area == Qt::TopDockWidgetArea
           || area == Qt::BottomDockWidgetArea;
}

} // namespace

Window::Window(QDockWidget *dock, QMainWindow *mainWindow, QString guidPosition, AddIn *owner, int type,
               QObject *parent)
    : QObject(parent), m_dock(dock), m_mainWindow(mainWindow), m_caption(dock->windowTitle()),
      m_guid(std::move(guidPosition)), m_owner(owner), m_type(type)
{
    setObjectName(dock->objectName());
    m_remembered = restoreLayout();
    connect(dock, &QDockWidget::dockLocationChanged, this, [this] { storeLayout(); });
    connect(dock, &QDockWidget::topLevelChanged, this, [this] { storeLayout(); });
    m_content = dock->widget();
    if (m_content) {
        m_content->installEventFilter(this);
        showDocumentTitle();
    }
}

Window::~Window()
{
    if (m_content)
        m_content->removeEventFilter(this);
    if (m_dock) {
        storeLayout();
        // Its signals must not reach the windows' list while it goes.
        QObject::disconnect(m_dock.data(), nullptr, parent(), nullptr);
        delete m_dock.data();
    }
}

QDockWidget *Window::dockWidget() const
{
    return m_dock.data();
}

bool Window::eventFilter(QObject *watched, QEvent *event)
{
    const bool titleEvent = event->type() == QEvent::WindowTitleChange || event->type() == QEvent::ModifiedChange;
    if (titleEvent && watched == m_content)
        showDocumentTitle();
    return QObject::eventFilter(watched, event);
}

void Window::showDocumentTitle()
{
    QWidget *content = m_content.data();
    if (!content || !m_dock)
        return;
    const QString document = content->windowTitle();
    // The document's "[*]" stays a placeholder, so the dock shows its modified mark.
    m_dock->setWindowTitle(document.isEmpty() ? m_caption : m_caption + QStringLiteral(" - ") + document);
    m_dock->setWindowModified(!document.isEmpty() && content->isWindowModified());
}

bool Window::Visible() const
{
    // Hidden means closed by the user or never shown; an unshown main window does not count.
    return m_dock && !m_dock->isHidden();
}

void Window::setVisible(bool visible)
{
    if (!m_dock)
        return;
    m_dock->setVisible(visible);
    auto *windows = qobject_cast<Windows *>(parent());
    // Before the main window is shown the dock reports no visibility change itself.
    if (windows)
        emit windows->arrangementChanged();
    if (!visible)
        return;
    m_dock->raise();
    if (m_sizePending) {
        m_sizePending = false;
        if (windows)
            windows->sizeByDefault();
    }
}

void Window::SetFocus()
{
    if (!m_dock)
        return;
    setVisible(true);
    if (auto *windows = qobject_cast<Windows *>(parent()))
        windows->setActive(this);
    m_dock->activateWindow();
    if (QWidget *content = m_dock->widget())
        content->setFocus(Qt::OtherFocusReason);
    else
        m_dock->setFocus(Qt::OtherFocusReason);
}

void Window::storeLayout() const
{
    if (!m_dock || m_guid.isEmpty())
        return;
    const QString key = layoutKey(m_guid);
    const bool floating = m_dock->isFloating() || !m_mainWindow;
    const std::uint32_t area = floating ? 0u : std::uint32_t(m_mainWindow->dockWidgetArea(m_dock));
    if (!floating && !isDockArea(area))
        return;
    // Failures to store a layout only lose the layout; they are not worth a message.
    (void)reg::writeDword(win32::HKEY_CURRENT_USER, key, QStringLiteral("DockArea"), area);
    if (!m_dock->isVisible())
        return;  // an unshown window has no real size yet
    const QRect geometry = m_dock->geometry();
    (void)reg::writeDword(win32::HKEY_CURRENT_USER, key, QStringLiteral("Width"), std::uint32_t(geometry.width()));
    (void)reg::writeDword(win32::HKEY_CURRENT_USER, key, QStringLiteral("Height"), std::uint32_t(geometry.height()));
    if (floating) {
        const QPoint at = m_dock->pos();
        (void)reg::writeDword(win32::HKEY_CURRENT_USER, key, QStringLiteral("Left"), std::uint32_t(at.x()));
        (void)reg::writeDword(win32::HKEY_CURRENT_USER, key, QStringLiteral("Top"), std::uint32_t(at.y()));
    }
}

bool Window::restoreLayout()
{
    // The host's saved arrangement knows the window's neighbours; the values under the GUID only its area.
    if (m_mainWindow && m_mainWindow->restoreDockWidget(m_dock)) {
        m_dock->hide();
        return true;
    }
    const QString key = layoutKey(m_guid);
    if (!reg::readDword(win32::HKEY_CURRENT_USER, key, QStringLiteral("DockArea")))
        return false;
    const std::uint32_t area = storedOr(key, "DockArea", Qt::RightDockWidgetArea);
    const int width = int(storedOr(key, "Width", 0));
    const int height = int(storedOr(key, "Height", 0));
    const bool floating = !isDockArea(area) || !m_mainWindow;
    if (m_mainWindow)
        m_mainWindow->addDockWidget(floating ? Qt::RightDockWidgetArea : Qt::DockWidgetArea(area), m_dock);
    if (floating) {
        m_dock->setFloating(true);
        const int left = int(storedOr(key, "Left", 100));
        const int top = int(storedOr(key, "Top", 100));
        if (width > 0 && height > 0)
            m_dock->setGeometry(left, top, width, height);
    } else if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea) {
        if (width > 0)
            m_mainWindow->resizeDocks({m_dock}, {width}, Qt::Horizontal);
    } else if (height > 0) {
        m_mainWindow->resizeDocks({m_dock}, {height}, Qt::Vertical);
    }
    m_dock->hide();
    return true;
}

} // namespace vbide
