#pragma once

// Helpers for a library's DllRegisterServer / DllUnregisterServer (see
// InprocServer.h for the keys they write).

#include "platform/common/Result.h"

#include <QString>

#include <cstdint>

namespace vbide {

// Below HKEY_CURRENT_USER: the host's own settings root.
inline constexpr const char *HostRegistryRoot = "Software\\Microsoft\\Visual Basic\\6.0";
// Below HKEY_CURRENT_USER: one subkey per registered add-in, named by its ProgID.
inline constexpr const char *AddinsRegistryKey = "Software\\Microsoft\\Visual Basic\\6.0\\Addins";

// The add-in's "LoadBehavior" (the host's convention).
enum LoadBehavior : std::uint32_t {
    LoadBehaviorNone = 0,
    LoadBehaviorStartup = 1,
    LoadBehaviorCommandLine = 2,
    LoadBehaviorCommandLineStartup = 3,
};

// Registers a creatable class: ProgID -> CLSID -> library path.
qm::Status registerClass(const QString &progId, const QString &clsid, const QString &libraryPath);
qm::Status unregisterClass(const QString &progId);

// Lists an add-in (whose connection class is progId) in the host's add-in list.
qm::Status registerAddIn(const QString &progId, const QString &friendlyName, const QString &description,
                         std::uint32_t loadBehavior);
qm::Status unregisterAddIn(const QString &progId);

// The absolute path of the loaded library (or executable) that contains address.
// Pass the address of a function with internal linkage (static or in an
// anonymous namespace): an exported name such as DllRegisterServer may resolve
// to another loaded library's function of the same name.
QString libraryPathOf(const void *address);

// The message of the last failed registration helper call in this process
// (for the host to show when DllRegisterServer returns a failure); empty when none.
QString lastRegistrationError();
void clearLastRegistrationError();

} // namespace vbide
