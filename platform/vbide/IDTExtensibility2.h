#pragma once

// The add-in connection interface. An add-in's connection object is a QObject
// that also derives from IDTExtensibility2 and names it in Q_INTERFACES:
//
//     class Connect : public QObject, public vbide::IDTExtensibility2 {
//         Q_OBJECT
//         Q_INTERFACES(vbide::IDTExtensibility2)
//         ...
//     };
//
// The host finds the interface with qobject_cast. It calls OnConnection once
// after creating the object and OnDisconnection once before deleting it.
// Calls must not throw; a throwing add-in is disconnected and reported.

#include <QObject>
#include <QVariantList>

namespace vbide {

class AddIn;
class VBE;

enum ext_ConnectMode : int {
    ext_cm_AfterStartup = 0,  // from the Add-In Manager or AddIn.Connect
    ext_cm_Startup = 1,       // while the host starts
    ext_cm_External = 2,
    ext_cm_CommandLine = 3,
};

enum ext_DisconnectMode : int {
    ext_dm_HostShutdown = 0,
    ext_dm_UserClosed = 1,  // from the Add-In Manager or AddIn.Connect
};

class IDTExtensibility2 {
public:
    virtual ~IDTExtensibility2() = default;
    virtual void OnConnection(VBE *Application, ext_ConnectMode ConnectMode, AddIn *AddInInst,
                              QVariantList &custom) = 0;
    virtual void OnDisconnection(ext_DisconnectMode RemoveMode, QVariantList &custom) = 0;
    // Another add-in was loaded or unloaded.
    virtual void OnAddInsUpdate(QVariantList &custom) = 0;
    // The host finished starting (only for add-ins connected at start-up).
    virtual void OnStartupComplete(QVariantList &custom) = 0;
    // The host is about to close; OnDisconnection follows.
    virtual void OnBeginShutdown(QVariantList &custom) = 0;
};

} // namespace vbide

#define QM_IDTExtensibility2_iid "org.quillmark.vbide.IDTExtensibility2/1.0"
Q_DECLARE_INTERFACE(vbide::IDTExtensibility2, QM_IDTExtensibility2_iid)
