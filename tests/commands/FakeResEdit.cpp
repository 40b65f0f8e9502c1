// The host's resource editor add-in as the save command meets it: a connection
// object that notes each connection and disconnection in the application's
// "resEditLog" property.
#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/IDTExtensibility2.h"
#include "platform/vbide/InprocServer.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstring>

namespace {

void note(const QString &what)
{
    QStringList log = qApp->property("resEditLog").toStringList();
    log.append(what);
    qApp->setProperty("resEditLog", log);
}

class Connect : public QObject, public vbide::IDTExtensibility2 {
    Q_OBJECT
    Q_INTERFACES(vbide::IDTExtensibility2)
public:
    void OnConnection(vbide::VBE *, vbide::ext_ConnectMode, vbide::AddIn *, QVariantList &) override { note("connected"); }
    void OnDisconnection(vbide::ext_DisconnectMode, QVariantList &) override { note("disconnected"); }
    void OnAddInsUpdate(QVariantList &) override {}
    void OnStartupComplete(QVariantList &) override {}
    void OnBeginShutdown(QVariantList &) override {}
};

} // namespace

extern "C" QObject *qm_CreateObject(const char *progId)
{
    return std::strcmp(progId, "ResEdit6.Connect") == 0 ? new Connect : nullptr;
}

extern "C" int DllRegisterServer()
{
    const QString library = vbide::libraryPathOf(reinterpret_cast<const void *>(&note));
    const bool ok = vbide::registerClass(QStringLiteral("ResEdit6.Connect"),
                                         QStringLiteral("{7C1D6E20-2B3A-4C5D-9E8F-1A2B3C4D5E6F}"), library)
                    && vbide::registerAddIn(QStringLiteral("ResEdit6.Connect"), QStringLiteral("VB 6 Resource Editor"),
                                            QStringLiteral("The host's resource editor"), vbide::LoadBehaviorNone);
    return ok ? vbide::S_OK : vbide::E_FAIL;
}

extern "C" int DllUnregisterServer()
{
    const bool ok = vbide::unregisterAddIn(QStringLiteral("ResEdit6.Connect"))
                    && vbide::unregisterClass(QStringLiteral("ResEdit6.Connect"));
    return ok ? vbide::S_OK : vbide::E_FAIL;
}

#include "FakeResEdit.moc"
