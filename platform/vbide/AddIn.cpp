#include "platform/vbide/AddIn.h"

#include "platform/vbide/Addins.h"
#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/HostRegistry.h"
#include "platform/vbide/IDTQueryClose.h"
#include "platform/vbide/InprocServer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbide/Windows.h"

#include <exception>

namespace vbide {

using namespace win32;

namespace {

QString keyOf(const QString &progId)
{
    return QLatin1String(AddinsRegistryKey) + QLatin1Char('\\') + progId;
}

} // namespace

AddIn::AddIn(const QString &progId, Addins *parent) : QObject(parent), m_progId(progId)
{
    setObjectName(progId);
}

AddIn::~AddIn()
{
    delete m_object.data();
}

Addins *AddIn::Collection() const
{
    return static_cast<Addins *>(parent());
}

QString AddIn::Guid() const
{
    qm::Result<QString> clsid = clsidFromProgId(m_progId);
    return clsid ? *clsid : QString();
}

QString AddIn::FriendlyName() const
{
    qm::Result<QString> name = reg::readString(HKEY_CURRENT_USER, keyOf(m_progId), QStringLiteral("FriendlyName"));
    return name && !name->isEmpty() ? *name : m_progId;
}

QString AddIn::Description() const
{
    qm::Result<QString> text = reg::readString(HKEY_CURRENT_USER, keyOf(m_progId), QStringLiteral("Description"));
    return text ? *text : QString();
}

std::uint32_t AddIn::LoadBehavior() const
{
    qm::Result<std::uint32_t> behavior = reg::readDword(HKEY_CURRENT_USER, keyOf(m_progId), QStringLiteral("LoadBehavior"));
    return behavior ? *behavior : 0u;
}

qm::Status AddIn::setLoadBehavior(std::uint32_t behavior)
{
    return reg::writeDword(HKEY_CURRENT_USER, keyOf(m_progId), QStringLiteral("LoadBehavior"), behavior);
}

qm::Status AddIn::setConnect(bool connect)
{
    if (connect)
        return this->connect(ext_cm_AfterStartup);
    if (!m_object)
        return {};
    QList<VBProject *> projects;
    for (VBProject *project : *Collection()->vbe()->VBProjects())
        projects.append(project);
    if (!queryClose(projects, true))
        return qm::makeError(QStringLiteral("The add-in %1 stays loaded: it keeps work that is not saved.").arg(FriendlyName()));
    return disconnect(ext_dm_UserClosed);
}

bool AddIn::queryClose(const QList<VBProject *> &projects, bool unloading)
{
    auto *addIn = qobject_cast<IDTQueryClose *>(m_object.data());
    if (!addIn || m_busy)
        return true;
    // A failing add-in must not keep the host from closing; its failure is kept in LastError().
    bool agreed = true;
    (void)call("OnQueryClose", [&](IDTExtensibility2 &) { agreed = addIn->OnQueryClose(projects, unloading); });
    return agreed;
}

qm::Status AddIn::call(const char *what, const std::function<void(IDTExtensibility2 &)> &fn)
{
    auto *addIn = qobject_cast<IDTExtensibility2 *>(m_object.data());
    if (!addIn)
        return {};
    QString failure;
    try {
        fn(*addIn);
    } catch (const std::exception &error) {
        failure = QString::fromLocal8Bit(error.what());
    } catch (...) {
        failure = QStringLiteral("an unknown error");
    }
    if (failure.isEmpty())
        return {};
    m_lastError = QStringLiteral("The add-in %1 failed in %2: %3.").arg(FriendlyName(), QLatin1String(what), failure);
    return qm::makeError(m_lastError);
}

qm::Status AddIn::connect(ext_ConnectMode mode)
{
    if (m_object)
        return {};
    if (m_busy)
        return qm::makeError(QStringLiteral("The add-in %1 is being loaded or unloaded already.").arg(FriendlyName()));
    m_busy = true;
    m_lastError.clear();
    qm::Result<QObject *> object = createObject(m_progId);
    if (!object) {
        m_busy = false;
        m_lastError = QStringLiteral("The add-in %1 cannot be loaded: %2").arg(FriendlyName(), object.errorString());
        return qm::makeError(m_lastError);
    }
    if (!qobject_cast<IDTExtensibility2 *>(*object)) {
        delete *object;
        m_busy = false;
        m_lastError = QStringLiteral("The add-in %1 cannot be loaded: its class %2 is not an add-in connection class.")
                          .arg(FriendlyName(), m_progId);
        return qm::makeError(m_lastError);
    }
    (*object)->setParent(this);
    m_object = *object;
    VBE *vbe = Collection()->vbe();
    qm::Status connected = call("OnConnection", [&](IDTExtensibility2 &addIn) {
        QVariantList custom;
        addIn.OnConnection(vbe, mode, this, custom);
    });
    if (!connected) {
        // A half-connected add-in is taken down again; its windows go with it.
        vbe->Windows()->destroyToolWindowsOf(this);
        delete m_object.data();
        m_busy = false;
        return connected;
    }
    m_busy = false;
    Collection()->m_connected.append(this);
    emit connectChanged(true);
    Collection()->notifyUpdate(this);
    return {};
}

qm::Status AddIn::disconnect(ext_DisconnectMode mode)
{
    if (!m_object)
        return {};
    if (m_busy)
        return qm::makeError(QStringLiteral("The add-in %1 is being loaded or unloaded already.").arg(FriendlyName()));
    m_busy = true;
    qm::Status status = call("OnDisconnection", [&](IDTExtensibility2 &addIn) {
        QVariantList custom;
        addIn.OnDisconnection(mode, custom);
    });
    // Whatever the add-in did, the host takes its windows and object down.
    Collection()->vbe()->Windows()->destroyToolWindowsOf(this);
    delete m_object.data();
    m_busy = false;
    Collection()->m_connected.removeAll(this);
    emit connectChanged(false);
    Collection()->notifyUpdate(this);
    return status;
}

} // namespace vbide
