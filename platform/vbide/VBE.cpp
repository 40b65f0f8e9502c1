#include "platform/vbide/VBE.h"

#include "platform/vbide/Addins.h"
#include "platform/vbide/CodeViewer.h"
#include "platform/vbide/CommandBars.h"
#include "platform/vbide/Events.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbide/Windows.h"

#include <QFileInfo>
#include <QMainWindow>

namespace vbide {

VBE::VBE(QMainWindow *mainWindow, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("VBE"));
    m_events = new vbide::Events(this);
    m_projects = new vbide::VBProjects(m_events->VBProjectsEvents(), this);
    m_commandBars = new vbide::CommandBars(this);
    m_windows = new vbide::Windows(mainWindow, this);
    m_addins = new vbide::Addins(this);
}

VBE::~VBE()
{
    // Add-ins go first: they still reach the projects and windows while they disconnect.
    m_addins->disconnectAll(ext_dm_HostShutdown);
    delete m_addins;
    delete m_windows;
    for (const QPointer<CodeViewer> &viewer : std::as_const(m_codeViewers))
        delete viewer.data();
}

void VBE::ShowStatusText(const QString &text, int timeoutMs)
{
    emit statusTextShown(text, timeoutMs);
}

qm::Status VBE::ShowCode(const QString &path, int line)
{
    m_codeViewers.removeAll(nullptr);
    const QString wanted = QFileInfo(path).absoluteFilePath();
    CodeViewer *viewer = nullptr;
    for (CodeViewer *open : CodeViewers()) {
        if (QFileInfo(open->path()).absoluteFilePath() == wanted)
            viewer = open;
    }
    const bool created = viewer == nullptr;
    if (created)
        viewer = new CodeViewer(m_mainWindow);
    // The file is read again: it may have changed since the window opened.
    if (qm::Status read = viewer->open(path); !read) {
        if (created)
            delete viewer;
        return read;
    }
    if (created)
        m_codeViewers.append(viewer);
    viewer->markLine(line);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return {};
}

QList<CodeViewer *> VBE::CodeViewers() const
{
    QList<CodeViewer *> viewers;
    for (const QPointer<CodeViewer> &viewer : m_codeViewers) {
        if (viewer)
            viewers.append(viewer.data());
    }
    return viewers;
}

Window *VBE::ActiveWindow() const
{
    return m_windows->active();
}

} // namespace vbide
