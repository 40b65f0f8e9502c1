#include "platform/vbide/VBE.h"

#include "platform/vbide/Addins.h"
#include "platform/vbide/CommandBars.h"
#include "platform/vbide/Events.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbide/Windows.h"

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
}

void VBE::ShowStatusText(const QString &text, int timeoutMs)
{
    emit statusTextShown(text, timeoutMs);
}

Window *VBE::ActiveWindow() const
{
    return m_windows->active();
}

} // namespace vbide
