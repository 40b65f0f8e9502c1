#include "fit/WidthFactorSetting.h"

#include "fit/TextWidth.h"
#include "platform/win32core/Registry.h"

#include <cmath>

using namespace win32;

namespace fit {

namespace {

const QString kWidthFactorKey = QStringLiteral("Software\\Corvane\\Quillmark\\WidthFactor");
// In hundredths, so that the value is a DWORD: 130 is 1.3.
constexpr DWORD kLowest = 100;
constexpr DWORD kHighest = 1000;

} // namespace

double storedWidthFactor(const QString &projectFile)
{
    if (projectFile.isEmpty())
        return kDefaultFactor;
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kWidthFactorKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return kDefaultFactor;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LONG status = RegQueryValueEx(key, projectFile, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    // A damaged value is as good as none.
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value) || value < kLowest || value > kHighest)
        return kDefaultFactor;
    return value / 100.0;
}

bool storeWidthFactor(const QString &projectFile, double factor)
{
    if (projectFile.isEmpty() || !(factor >= kLowest / 100.0 && factor <= kHighest / 100.0))
        return false;
    HKEY key = 0;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, kWidthFactorKey, 0, QString(), REG_OPTION_NON_VOLATILE, 0x3F, nullptr, &key,
                       nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD value = DWORD(std::lround(factor * 100));
    const LONG status = RegSetValueEx(key, projectFile, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof(value));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

} // namespace fit
