#include "tests/vbide/testaddin/TestAddIn.h"

#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControl.h"
#include "platform/vbide/CommandBarControls.h"
#include "platform/vbide/CommandBarEvents.h"
#include "platform/vbide/CommandBars.h"
#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/Events.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbide/Window.h"
#include "platform/vbide/Windows.h"

#include <QCoreApplication>
#include <QVariant>

#include <cstring>
#include <stdexcept>

namespace testaddin {

void log(const QString &entry)
{
    QStringList entries = qApp->property("testAddInLog").toStringList();
    entries.append(entry);
    qApp->setProperty("testAddInLog", entries);
}

Connect::~Connect()
{
    log(QStringLiteral("Connect destroyed"));
}

void Connect::OnConnection(vbide::VBE *Application, vbide::ext_ConnectMode ConnectMode, vbide::AddIn *AddInInst,
                           QVariantList &)
{
    log(QStringLiteral("OnConnection %1 projects=%2").arg(ConnectMode).arg(Application->VBProjects()->Count()));
    if (qApp->property("testAddInThrow").toBool())
        throw std::runtime_error("connection refused for the test");
    QObject *document = nullptr;
    qm::Result<vbide::Window *> window = Application->Windows()->CreateToolWindow(
        AddInInst, QLatin1String(DocumentProgId), QStringLiteral("Test Window"), QLatin1String(WindowGuid), document);
    if (!window) {
        log(QStringLiteral("CreateToolWindow failed: ") + window.errorString());
        return;
    }
    m_window = *window;
    if (vbide::CommandBar *bar = Application->CommandBars()->Item(QStringLiteral("Add-Ins"))) {
        m_button = bar->Controls()->Add(1);
        m_button->setCaption(QStringLiteral("Quill Test"));
        connect(Application->Events()->CommandBarEvents(m_button), &vbide::CommandBarEvents::Click, this,
                [this](vbide::CommandBarControl *, bool &, bool &) {
                    log(QStringLiteral("Click"));
                    if (m_window)
                        m_window->setVisible(true);
                });
    }
}

void Connect::OnDisconnection(vbide::ext_DisconnectMode RemoveMode, QVariantList &)
{
    log(QStringLiteral("OnDisconnection %1").arg(RemoveMode));
    if (m_button)
        m_button->Delete();
}

void Connect::OnAddInsUpdate(QVariantList &)
{
    log(QStringLiteral("OnAddInsUpdate"));
}

void Connect::OnStartupComplete(QVariantList &)
{
    log(QStringLiteral("OnStartupComplete"));
}

void Connect::OnBeginShutdown(QVariantList &)
{
    log(QStringLiteral("OnBeginShutdown"));
}

Document::Document()
{
    setObjectName(QStringLiteral("testDocument"));
    setAccessibleName(QStringLiteral("Test document"));
}

Document::~Document()
{
    log(QStringLiteral("Document destroyed"));
}

} // namespace testaddin

extern "C" QObject *qm_CreateObject(const char *progId)
{
    if (std::strcmp(progId, testaddin::ConnectProgId) == 0)
        return new testaddin::Connect;
    if (std::strcmp(progId, testaddin::DocumentProgId) == 0)
        return new testaddin::Document;
    if (std::strcmp(progId, testaddin::PlainProgId) == 0)
        return new QObject;
    return nullptr;
}

namespace {
// Internal, so its address is this library's even when another loaded library exports the same names.
void anchor() {}
} // namespace

extern "C" int DllRegisterServer()
{
    const QString library = vbide::libraryPathOf(reinterpret_cast<const void *>(&anchor));
    const bool ok = vbide::registerClass(QLatin1String(testaddin::ConnectProgId),
                                         QStringLiteral("{0E6B5A10-1C2D-4E3F-8A9B-0C1D2E3F4A5B}"), library)
                    && vbide::registerClass(QLatin1String(testaddin::DocumentProgId),
                                            QStringLiteral("{0E6B5A11-1C2D-4E3F-8A9B-0C1D2E3F4A5B}"), library)
                    && vbide::registerClass(QLatin1String(testaddin::PlainProgId),
                                            QStringLiteral("{0E6B5A12-1C2D-4E3F-8A9B-0C1D2E3F4A5B}"), library)
                    && vbide::registerAddIn(QLatin1String(testaddin::ConnectProgId), QStringLiteral("Quill Test Add-In"),
                                            QStringLiteral("An add-in the host's tests load and unload"),
                                            vbide::LoadBehaviorNone);
    return ok ? vbide::S_OK : vbide::E_FAIL;
}

extern "C" int DllUnregisterServer()
{
    const bool ok = vbide::unregisterAddIn(QLatin1String(testaddin::ConnectProgId))
                    && vbide::unregisterClass(QLatin1String(testaddin::ConnectProgId))
                    && vbide::unregisterClass(QLatin1String(testaddin::DocumentProgId))
                    && vbide::unregisterClass(QLatin1String(testaddin::PlainProgId));
    return ok ? vbide::S_OK : vbide::E_FAIL;
}
