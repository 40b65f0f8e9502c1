// What the host needs of the add-in library: objects by ProgID, and the
// library's own registration.
#include "addin/Connect.h"
#include "editor/SuggestionsPane.h"
#include "editor/docResourceEditor.h"
#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/InprocServer.h"
#include "platform/win32core/Registry.h"
#include "support/REG_MODULE.h"
#include "support/ProductTitle.h"

#include <QByteArray>

namespace {
constexpr const char *kConnectClsid = "{64BCB041-A947-11D5-BF0A-0020182C1E5C}";
constexpr const char *kEditorClsid = "{64BCB042-A947-11D5-BF0A-0020182C1E5C}";
constexpr const char *kSuggestionsClsid = "{64BCB043-A947-11D5-BF0A-0020182C1E5C}";
constexpr const char *kDescription = "Resource string editor with support for non western character sets";

// A user's choice of when the add-in loads survives registering again.
std::uint32_t loadBehaviorToRegister()
{
    using namespace win32;
    const QString key = QLatin1String(vbide::AddinsRegistryKey) + QLatin1Char('\\') + QLatin1String(Connect::ProgID);
    HKEY handle = 0;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return vbide::LoadBehaviorStartup;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG result =
        RegQueryValueEx(handle, QStringLiteral("LoadBehavior"), nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS && type == REG_DWORD ? value : vbide::LoadBehaviorStartup;
}

// A fresh installation shows the editor at its first start; once the add-in has
// run, the user's own choice is kept.
bool showEditorOnFirstStart()
{
    using namespace win32;
    HKEY handle = 0;
    DWORD disposition = 0;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, QString::fromLatin1(Connect::SettingsKey), 0, QString(),
                       REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &handle, &disposition) != ERROR_SUCCESS)
        return false;
    if (disposition == REG_CREATED_NEW_KEY)
        RegStoreBoolean(handle, QStringLiteral("DisplayOnConnect"), true);
    RegCloseKey(handle);
    return true;
}

// Its address names this library; an exported name could resolve to another
// loaded library's function of the same name.
void libraryAnchor() {}
} // namespace

extern "C" __attribute__((visibility("default"))) QObject *qm_CreateObject(const char *progId)
{
    const QByteArray name(progId ? progId : "");
    if (name == Connect::ProgID)
        return new Connect;
    if (name == Connect::EditorProgID)
        return new docResourceEditor;
    if (name == Connect::SuggestionsProgID)
        return new SuggestionsPane;
    return nullptr;
}

extern "C" __attribute__((visibility("default"))) int DllRegisterServer(void)
{
    vbide::clearLastRegistrationError();
    const QString library = vbide::libraryPathOf(reinterpret_cast<const void *>(&libraryAnchor));
    const bool ok =
        vbide::registerClass(QLatin1String(Connect::ProgID), QLatin1String(kConnectClsid), library).ok() &&
        vbide::registerClass(QLatin1String(Connect::EditorProgID), QLatin1String(kEditorClsid), library).ok() &&
        vbide::registerClass(QLatin1String(Connect::SuggestionsProgID), QLatin1String(kSuggestionsClsid), library).ok() &&
        vbide::registerAddIn(QLatin1String(Connect::ProgID), qm::productTitle(),
                             QString::fromUtf8(kDescription), loadBehaviorToRegister())
            .ok() &&
        showEditorOnFirstStart();
    return ok ? vbide::S_OK : vbide::E_FAIL;
}

extern "C" __attribute__((visibility("default"))) int DllUnregisterServer(void)
{
    vbide::clearLastRegistrationError();
    const bool ok = vbide::unregisterAddIn(QLatin1String(Connect::ProgID)).ok() &&
                    vbide::unregisterClass(QLatin1String(Connect::ProgID)).ok() &&
                    vbide::unregisterClass(QLatin1String(Connect::EditorProgID)).ok();
    // A registration from before the pane existed has no class for it.
    (void)vbide::unregisterClass(QLatin1String(Connect::SuggestionsProgID));
    return ok ? vbide::S_OK : vbide::E_FAIL;
}
