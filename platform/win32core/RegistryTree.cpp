#include "platform/win32core/RegistryTree.h"

namespace win32 {

QString foldRegistryName(const QString &name) { return name.toCaseFolded(); }

bool splitRegistryPath(const QString &path, QStringList *pieces)
{
    pieces->clear();
    if (path.isEmpty())
        return true;
    const QStringList parts = path.split(QLatin1Char('\\'));
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 255)
            return false;
        for (QChar c : part)
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                return false;
        pieces->append(part);
    }
    return true;
}

RegistryKeyNode *RegistryKeyNode::child(const QString &childName) const
{
    auto it = children.find(foldRegistryName(childName));
    return it == children.end() ? nullptr : it->second.get();
}

RegistryKeyNode *RegistryKeyNode::addChild(const QString &childName)
{
    auto &slot = children[foldRegistryName(childName)];
    if (!slot) {
        slot = std::make_unique<RegistryKeyNode>();
        slot->name = childName;
    }
    return slot.get();
}

int RegistryKeyNode::valueIndex(const QString &valueName) const
{
    for (int i = 0; i < values.size(); ++i)
        if (values[i].name.compare(valueName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const QList<HKEY> &RegistryTree::roots()
{
    static const QList<HKEY> all{HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};
    return all;
}

RegistryTree::RegistryTree()
{
    for (HKEY root : roots()) {
        auto node = std::make_unique<RegistryKeyNode>();
        node->name = RegistryStore::rootName(root);
        m_roots[root] = std::move(node);
    }
}

RegistryKeyNode *RegistryTree::rootNode(HKEY root) const
{
    auto it = m_roots.find(root);
    return it == m_roots.end() ? nullptr : it->second.get();
}

RegistryKeyNode *RegistryTree::find(HKEY root, const QStringList &pieces) const
{
    RegistryKeyNode *node = rootNode(root);
    for (const QString &piece : pieces) {
        if (!node)
            return nullptr;
        node = node->child(piece);
    }
    return node;
}

RegistryKeyNode *RegistryTree::create(HKEY root, const QStringList &pieces, bool *created)
{
    if (created)
        *created = false;
    RegistryKeyNode *node = rootNode(root);
    if (!node)
        return nullptr;
    for (const QString &piece : pieces) {
        RegistryKeyNode *next = node->child(piece);
        if (!next) {
            next = node->addChild(piece);
            if (created)
                *created = true;
        }
        node = next;
    }
    return node;
}

bool RegistryTree::remove(HKEY root, const QStringList &pieces)
{
    if (pieces.isEmpty())
        return false;
    RegistryKeyNode *parent = find(root, pieces.mid(0, pieces.size() - 1));
    if (!parent)
        return false;
    auto it = parent->children.find(foldRegistryName(pieces.last()));
    if (it == parent->children.end() || !it->second->children.empty())
        return false;
    parent->children.erase(it);
    return true;
}

} // namespace win32
