// The settings file: whatever parses is formatted, and the formatted text
// parses back to the same keys and values, byte for byte.
#include "platform/win32core/RegistryFile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void compare(const win32::RegistryKeyNode &a, const win32::RegistryKeyNode &b, const QString &path)
{
    if (a.name != b.name)
        fuzz::broken("a key name changed", path);
    if (a.values.size() != b.values.size())
        fuzz::broken("the number of values changed", path);
    for (qsizetype i = 0; i < a.values.size(); ++i) {
        const win32::StoredValue &x = a.values[i];
        const win32::StoredValue &y = b.values[i];
        if (x.name != y.name || x.type != y.type || x.data != y.data)
            fuzz::broken("a value changed", path + QLatin1Char('\\') + x.name);
    }
    if (a.children.size() != b.children.size())
        fuzz::broken("the number of subkeys changed", path);
    for (auto i = a.children.begin(), j = b.children.begin(); i != a.children.end(); ++i, ++j) {
        if (i->first != j->first)
            fuzz::broken("a subkey changed", path + QLatin1Char('\\') + i->first);
        compare(*i->second, *j->second, path + QLatin1Char('\\') + i->first);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    win32::RegistryTree tree;
    if (!win32::parseRegistryFile(fuzz::bytesOf(data, size), QStringLiteral("fuzzed.reg"), &tree))
        return 0;
    const QByteArray formatted = win32::formatRegistryFile(tree);
    win32::RegistryTree again;
    if (auto parsed = win32::parseRegistryFile(formatted, QStringLiteral("formatted.reg"), &again); !parsed)
        fuzz::broken("the formatted file does not parse", parsed.errorString());
    for (win32::HKEY root : win32::RegistryTree::roots())
        compare(*tree.rootNode(root), *again.rootNode(root), win32::RegistryStore::rootName(root));
    if (win32::formatRegistryFile(again) != formatted)
        fuzz::broken("formatting is not stable");
    return 0;
}
