#include "support/modUtilRegistry.h"

#include "support/ErrorTrap.h"

using namespace win32;

namespace {

const win32::RegKey &keyOrRaise(const std::optional<RegKey> &key)
{
    if (!key)
        qm::raise(QStringLiteral("Object variable or With block variable not set"));
    return *key;
}

std::optional<RegValue> lookUpValue(const RegKey &key, const QString &valueName)
{
    qm::Result<RegValue> value = key.values().item(valueName);
    if (!value)
        return std::nullopt;   // absence, not a failure
    return std::move(value).value();
}

} // namespace

std::optional<RegKey> OpenOrCreateRegKey(const QString &path)
{
    std::optional<RegKey> result;
    qm::trap("OpenOrCreateRegKey", [&] {
        const QStringList pieces = path.split(QLatin1Char('\\'));
        if (pieces.size() < 2 || !pieces[0].isEmpty())
            qm::raise(QStringLiteral("The registry path \"%1\" does not begin with \"\\\" and a root key.").arg(path));
        const QString &rootName = pieces[1];
        RegKey current = [&] {
            if (rootName == QLatin1String("HKEY_CLASSES_ROOT"))
                return qm::check(registryRoot().key(HKEY_CLASSES_ROOT));
            if (rootName == QLatin1String("HKEY_CURRENT_USER"))
                return qm::check(registryRoot().key(HKEY_CURRENT_USER));
            if (rootName == QLatin1String("HKEY_LOCAL_MACHINE"))
                return qm::check(registryRoot().key(HKEY_LOCAL_MACHINE));
            return qm::check(registryRoot().key(rootName + QLatin1Char('\\')));
        }();
        for (qsizetype i = 2; i < pieces.size(); ++i) {
            const QString &name = pieces[i];
            if (name.isEmpty())
                continue;   // a doubled or trailing backslash names no key
            if (!current.subkeys().item(name))
                qm::check(current.subkeys().add(name));
            current = qm::check(current.subkeys().item(name));
        }
        result = current;
    });
    return result;
}

void AddOrReplaceValue(const std::optional<RegKey> &key, const QString &valueName, const QVariant &value,
                       std::int32_t typeCode)
{
    qm::trap("AddOrReplaceValue", [&] {
        const RegKey &target = keyOrRaise(key);
        if (std::optional<RegValue> existing = lookUpValue(target, valueName))
            qm::check(existing->setData(value));
        else
            (void)qm::check(target.values().add(valueName, value, DWORD(typeCode)));
    });
}

QVariant GetValueWithDefault(const std::optional<RegKey> &key, const QString &valueName, const QVariant &defaultValue)
{
    QVariant result;
    qm::trap("GetValueWithDefault", [&] {
        const RegKey &target = keyOrRaise(key);
        if (std::optional<RegValue> existing = lookUpValue(target, valueName))
            result = qm::check(existing->data());
        else
            result = defaultValue;
    });
    return result;
}
