#pragma once

// The in-memory form of the settings store: one tree of keys per root.

#include "platform/win32core/RegistryStore.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

namespace win32 {

struct RegistryKeyNode {
    QString name;   // case as first created
    std::map<QString, std::unique_ptr<RegistryKeyNode>> children;   // by folded name, so sorted without case
    QList<StoredValue> values;   // in the order first written

    RegistryKeyNode *child(const QString &name) const;
    RegistryKeyNode *addChild(const QString &name);
    int valueIndex(const QString &name) const;
};

class RegistryTree {
public:
    RegistryTree();
    // pieces: key names below the root. Null when a key on the way is missing or root is unknown.
    RegistryKeyNode *find(HKEY root, const QStringList &pieces) const;
    RegistryKeyNode *create(HKEY root, const QStringList &pieces, bool *created);
    bool remove(HKEY root, const QStringList &pieces);   // the key must have no subkeys
    RegistryKeyNode *rootNode(HKEY root) const;
    static const QList<HKEY> &roots();

private:
    std::map<HKEY, std::unique_ptr<RegistryKeyNode>> m_roots;
};

QString foldRegistryName(const QString &name);

// Splits "a\b\c" into its pieces; false when a piece is empty or too long
// (255 characters, as Windows limits key names) or holds a control character.
bool splitRegistryPath(const QString &path, QStringList *pieces);

} // namespace win32
