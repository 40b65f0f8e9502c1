#include "platform/vbide/Addins.h"

#include "platform/vbide/AddIn.h"
#include "platform/vbide/ComRegistration.h"
#include "platform/win32core/RegistryStore.h"

#include <algorithm>

namespace vbide {

using namespace win32;

Addins::Addins(VBE *vbe) : QObject(nullptr), m_vbe(vbe)
{
    setObjectName(QStringLiteral("Addins"));
    Update();
}

Addins::~Addins()
{
    disconnectAll(ext_dm_HostShutdown);
    qDeleteAll(m_items);
}

AddIn *Addins::Item(int index) const
{
    return index >= 1 && index <= m_items.size() ? m_items[index - 1] : nullptr;
}

AddIn *Addins::Item(const QString &progId) const
{
    for (AddIn *addIn : m_items) {
        if (addIn->ProgId().compare(progId, Qt::CaseInsensitive) == 0)
            return addIn;
    }
    return nullptr;
}

void Addins::Update()
{
    QStringList names;
    RegistryStore::subkeyNames(HKEY_CURRENT_USER, QLatin1String(AddinsRegistryKey), &names);
    QList<AddIn *> items;
    for (const QString &name : names) {
        AddIn *addIn = Item(name);
        items.append(addIn ? addIn : new AddIn(name, this));
    }
    // An add-in that was unregistered while loaded stays listed until it is unloaded.
    for (AddIn *addIn : m_items) {
        if (!items.contains(addIn)) {
            if (addIn->Connect())
                items.append(addIn);
            else
                delete addIn;
        }
    }
    std::sort(items.begin(), items.end(), [](AddIn *a, AddIn *b) {
        return a->ProgId().compare(b->ProgId(), Qt::CaseInsensitive) < 0;
    });
    m_items = items;
    emit listChanged();
}

void Addins::connectAtStartup()
{
    for (AddIn *addIn : m_items) {
        if (addIn->LoadBehavior() & LoadBehaviorStartup)
            (void)addIn->connect(ext_cm_Startup);  // a failure stays in LastError()
    }
}

void Addins::startupComplete()
{
    const QList<AddIn *> connected = m_connected;
    for (AddIn *addIn : connected)
        (void)addIn->call("OnStartupComplete", [](IDTExtensibility2 &a) {
            QVariantList custom;
            a.OnStartupComplete(custom);
        });
}

void Addins::beginShutdown()
{
    const QList<AddIn *> connected = m_connected;
    for (AddIn *addIn : connected)
        (void)addIn->call("OnBeginShutdown", [](IDTExtensibility2 &a) {
            QVariantList custom;
            a.OnBeginShutdown(custom);
        });
}

bool Addins::queryClose(const QList<VBProject *> &projects, bool unloading)
{
    const QList<AddIn *> connected = m_connected;
    for (AddIn *addIn : connected) {
        if (!addIn->queryClose(projects, unloading))
            return false;
    }
    return true;
}

void Addins::disconnectAll(ext_DisconnectMode mode)
{
    const QList<AddIn *> connected = m_connected;
    for (auto it = connected.rbegin(); it != connected.rend(); ++it)
        (void)(*it)->disconnect(mode);
}

void Addins::notifyUpdate(AddIn *changed)
{
    const QList<AddIn *> connected = m_connected;
    for (AddIn *addIn : connected) {
        if (addIn != changed)
            (void)addIn->call("OnAddInsUpdate", [](IDTExtensibility2 &a) {
                QVariantList custom;
                a.OnAddInsUpdate(custom);
            });
    }
}

} // namespace vbide
