#pragma once

// What an in-process server library (an add-in such as Quillmark) exports, and
// how the host reaches it. This stands in for COM: a class is named by a ProgID,
// registered as
//
//     HKEY_CLASSES_ROOT\<ProgID>\CLSID                        (default) = "{guid}"
//     HKEY_CLASSES_ROOT\CLSID\{guid}\ProgID                   (default) = "<ProgID>"
//     HKEY_CLASSES_ROOT\CLSID\{guid}\InprocServer32           (default) = absolute path of the library
//
// and an add-in additionally under
//
//     HKEY_CURRENT_USER\Software\Microsoft\Visual Basic\6.0\Addins\<ProgID>
//         "FriendlyName" (REG_SZ), "Description" (REG_SZ), "LoadBehavior" (REG_DWORD, see LoadBehavior)
//
// The library must export, with C linkage:
//
//     extern "C" QObject *qm_CreateObject(const char *progId);
//         A new object of the class with that ProgID (UTF-8), without parent; the
//         caller owns it. nullptr for a ProgID the library does not serve.
//         An add-in's connection class implements vbide::IDTExtensibility2; a
//         tool window's document class is a QWidget.
//     extern "C" int DllRegisterServer(void);
//     extern "C" int DllUnregisterServer(void);
//         Write or remove the library's own registration (with the helpers of
//         ComRegistration.h, which record a message for a failure);
//         S_OK (0) on success, any other value on failure.
//
// `quill-host --register PATH` loads PATH and calls its DllRegisterServer;
// `quill-host --unregister PATH` calls DllUnregisterServer.
//
// A library, once loaded, stays loaded until the process ends (objects of its
// classes and its metatypes may outlive a single connection).

#include "platform/common/Result.h"

#include <QObject>
#include <QString>

namespace vbide {

inline constexpr int S_OK = 0;
inline constexpr int E_FAIL = static_cast<int>(0x80004005u);

inline constexpr const char *CreateObjectSymbol = "qm_CreateObject";
inline constexpr const char *RegisterServerSymbol = "DllRegisterServer";
inline constexpr const char *UnregisterServerSymbol = "DllUnregisterServer";
using CreateObjectFunction = QObject *(*)(const char *progId);
using RegisterServerFunction = int (*)();

// The CLSID registered for a ProgID ("{...}").
qm::Result<QString> clsidFromProgId(const QString &progId);
// The library registered for a CLSID.
qm::Result<QString> inprocServerPath(const QString &clsid);
// Creates an object by ProgID through its registered library. The caller owns it.
qm::Result<QObject *> createObject(const QString &progId);

// Loads a library and calls its DllRegisterServer / DllUnregisterServer.
qm::Status registerServer(const QString &libraryPath);
qm::Status unregisterServer(const QString &libraryPath);

} // namespace vbide
