#include "platform/win32core/RegistryStore.h"

#include "platform/common/AtomicFile.h"
#include "platform/common/FileLock.h"
#include "platform/win32core/RegistryFile.h"
#include "platform/win32core/RegistryTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <sys/stat.h>

#include <functional>

namespace win32 {

namespace {

// What identifies one version of the file: writers replace it by rename, so
// the inode changes with every write.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QString &path)
{
    struct stat info {};
    FileStamp stamp;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.mtimeNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return stamp;
}

struct State {
    QMutex mutex;
    QString path;
    FileStamp stamp;
    bool loaded = false;
    bool unreadable = false;   // never write over a file we could not read
    RegistryTree tree;
    QString problem;
};

State &state()
{
    static State s;
    return s;
}

QString damagedName(const QString &path)
{
    QString candidate = path + QStringLiteral(".damaged");
    for (int n = 1; QFileInfo::exists(candidate); ++n)
        candidate = path + QStringLiteral(".damaged.%1").arg(n);
    return candidate;
}

// Reads the file into s.tree. Returns the Win32 code of what happened.
LONG reload(State &s)
{
    s.tree = RegistryTree();
    s.loaded = true;
    s.unreadable = false;
    s.stamp = stampOf(s.path);
    if (!s.stamp.exists)
        return ERROR_SUCCESS;
    QFile file(s.path);
    if (!file.open(QIODevice::ReadOnly)) {
        s.unreadable = true;
        s.problem = QStringLiteral("The settings file %1 could not be read: %2. Settings cannot be saved until "
                                   "it can be read.")
                        .arg(QDir::toNativeSeparators(s.path), file.errorString());
        return ERROR_CANTREAD;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    qm::Status parsed = parseRegistryFile(bytes, QDir::toNativeSeparators(s.path), &s.tree);
    if (parsed)
        return ERROR_SUCCESS;
    s.tree = RegistryTree();
    const QString aside = damagedName(s.path);
    if (QFile::rename(s.path, aside)) {
        s.problem = parsed.errorString() +
                    QStringLiteral(" It was kept as %1 and settings start afresh.").arg(QDir::toNativeSeparators(aside));
        s.stamp = stampOf(s.path);
    } else {
        s.unreadable = true;
        s.problem = parsed.errorString() +
                    QStringLiteral(" It could not be moved aside, so settings cannot be saved until it is repaired.");
    }
    return ERROR_REGISTRY_CORRUPT;
}

// Brings the cached tree up to date with the file, cheaply when nothing changed.
LONG refresh(State &s)
{
    const QString path = RegistryStore::filePath();
    if (s.loaded && path == s.path && stampOf(path) == s.stamp)
        return ERROR_SUCCESS;
    s.path = path;
    return reload(s);
}

LONG read(const std::function<LONG(const RegistryTree &)> &query)
{
    State &s = state();
    QMutexLocker locker(&s.mutex);
    // A damaged file is already moved aside and an unreadable one left alone:
    // either way the caller sees an empty store, the reason is in lastProblem().
    refresh(s);
    return query(s.tree);
}

// Read, change and write the file under the lock, so that another process's
// write in between is never lost.
LONG modify(const std::function<LONG(RegistryTree &, bool *changed)> &change)
{
    State &s = state();
    QMutexLocker locker(&s.mutex);
    s.path = RegistryStore::filePath();
    const QString folder = QFileInfo(s.path).absolutePath();
    if (!QDir().mkpath(folder)) {
        s.problem = QStringLiteral("The settings folder %1 could not be created.").arg(QDir::toNativeSeparators(folder));
        return ERROR_ACCESS_DENIED;
    }
    qm::FileLock lock(s.path + QStringLiteral(".lock"));
    if (!lock.lock(20000)) {
        if (lock.timedOut())
            s.problem = QStringLiteral("The settings file %1 is locked by another program; the change was not saved.")
                            .arg(QDir::toNativeSeparators(s.path));
        else
            s.problem = QStringLiteral("The lock file of the settings file %1 could not be opened: %2. The change was "
                                       "not saved.")
                            .arg(QDir::toNativeSeparators(s.path), lock.problem());
        return lock.timedOut() ? ERROR_CANTWRITE : ERROR_ACCESS_DENIED;
    }
    reload(s);
    if (s.unreadable)
        return ERROR_ACCESS_DENIED;
    bool changed = false;
    const LONG status = change(s.tree, &changed);
    if (status != ERROR_SUCCESS || !changed)
        return status;
    qm::AtomicFile file(s.path);
    if (!file.open() || !file.write(formatRegistryFile(s.tree)) || !file.commit()) {
        s.problem = QStringLiteral("The settings file %1 could not be written: %2.")
                        .arg(QDir::toNativeSeparators(s.path), file.problem());
        s.loaded = false;   // the tree holds a change the file does not
        return file.failedToOpen() ? ERROR_ACCESS_DENIED : ERROR_CANTWRITE;
    }
    s.stamp = stampOf(s.path);
    return ERROR_SUCCESS;
}

// ERROR_SUCCESS with the key path's pieces; the code for an unknown root, or
// badPath for a path that does not split.
LONG keyPieces(HKEY root, const QString &path, QStringList *pieces, LONG badPath = ERROR_FILE_NOT_FOUND)
{
    if (!RegistryStore::isRoot(root))
        return ERROR_INVALID_HANDLE;
    return splitRegistryPath(path, pieces) ? ERROR_SUCCESS : badPath;
}

} // namespace

QString RegistryStore::filePath()
{
    const QString overridden = qEnvironmentVariable("QM_REGISTRY_FILE");
    if (!overridden.isEmpty())
        return overridden;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::home().filePath(QStringLiteral(".config"));
    return QDir(config).filePath(QStringLiteral("quillmark/registry.reg"));
}

qm::Status RegistryStore::load()
{
    State &s = state();
    QMutexLocker locker(&s.mutex);
    s.path = filePath();
    if (reload(s) != ERROR_SUCCESS)
        return qm::makeError(s.problem);
    return {};
}

QString RegistryStore::lastProblem()
{
    State &s = state();
    QMutexLocker locker(&s.mutex);
    return s.problem;
}

bool RegistryStore::isRoot(HKEY handle) { return !rootName(handle).isEmpty(); }

QString RegistryStore::rootName(HKEY handle)
{
    switch (handle) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_USERS: return QStringLiteral("HKEY_USERS");
    default: return {};
    }
}

HKEY RegistryStore::rootFromName(const QString &name)
{
    const QString upper = name.toUpper();
    if (upper == QLatin1String("HKEY_CLASSES_ROOT") || upper == QLatin1String("HKCR"))
        return HKEY_CLASSES_ROOT;
    if (upper == QLatin1String("HKEY_CURRENT_USER") || upper == QLatin1String("HKCU"))
        return HKEY_CURRENT_USER;
    if (upper == QLatin1String("HKEY_LOCAL_MACHINE") || upper == QLatin1String("HKLM"))
        return HKEY_LOCAL_MACHINE;
    if (upper == QLatin1String("HKEY_USERS") || upper == QLatin1String("HKU"))
        return HKEY_USERS;
    return 0;
}

LONG RegistryStore::keyExists(HKEY root, const QString &path)
{
    QStringList pieces;
    if (const LONG bad = keyPieces(root, path, &pieces); bad != ERROR_SUCCESS)
        return bad;
    return read([&](const RegistryTree &tree) { return tree.find(root, pieces) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND; });
}

LONG RegistryStore::createKey(HKEY root, const QString &path, bool *created)
{
    if (created)
        *created = false;
    QStringList pieces;
    if (const LONG bad = keyPieces(root, path, &pieces, ERROR_INVALID_PARAMETER); bad != ERROR_SUCCESS)
        return bad;
    return modify([&](RegistryTree &tree, bool *changed) {
        tree.create(root, pieces, changed);
        if (created)
            *created = *changed;
        return ERROR_SUCCESS;
    });
}

LONG RegistryStore::deleteKey(HKEY root, const QString &path)
{
    QStringList pieces;
    if (const LONG bad = keyPieces(root, path, &pieces); bad != ERROR_SUCCESS)
        return bad;
    if (pieces.isEmpty())
        return ERROR_ACCESS_DENIED;
    return modify([&](RegistryTree &tree, bool *changed) {
        const RegistryKeyNode *node = tree.find(root, pieces);
        if (!node)
            return ERROR_FILE_NOT_FOUND;
        if (!node->children.empty())
            return ERROR_ACCESS_DENIED;
        *changed = tree.remove(root, pieces);
        return ERROR_SUCCESS;
    });
}

LONG RegistryStore::subkeyNames(HKEY root, const QString &path, QStringList *names)
{
    names->clear();
    QStringList pieces;
    if (const LONG bad = keyPieces(root, path, &pieces); bad != ERROR_SUCCESS)
        return bad;
    return read([&](const RegistryTree &tree) {
        const RegistryKeyNode *node = tree.find(root, pieces);
        if (!node)
            return ERROR_KEY_DELETED;
        for (const auto &[folded, child] : node->children)
            names->append(child->name);
        return ERROR_SUCCESS;
    });
}

LONG RegistryStore::values(HKEY root, const QString &path, QList<StoredValue> *values)
{
    values->clear();
    QStringList pieces;
    if (const LONG bad = keyPieces(root, path, &pieces); bad != ERROR_SUCCESS)
        return bad;
    return read([&](const RegistryTree &tree) {
        const RegistryKeyNode *node = tree.find(root, pieces);
        if (!node)
            return ERROR_KEY_DELETED;
        *values = node->values;
        return ERROR_SUCCESS;
    });
}

LONG RegistryStore::value(HKEY root, const QString &path, const QString &name, StoredValue *value)
{
    *value = StoredValue();
    QStringList pieces;
    if (const LONG bad = keyPieces(root, path, &pieces); bad != ERROR_SUCCESS)
        return bad;
    return read([&](const RegistryTree &tree) {
        const RegistryKeyNode *node = tree.find(root, pieces);
        if (!node)
            return ERROR_KEY_DELETED;
        const int index = node->valueIndex(name);
        if (index < 0)
            return ERROR_FILE_NOT_FOUND;
        *value = node->values[index];
        return ERROR_SUCCESS;
    });
}

LONG RegistryStore::setValue(HKEY root, const QString &path, const StoredValue &value)
{
    QStringList pieces;
    if (const LONG bad = keyPieces(root, path, &pieces); bad != ERROR_SUCCESS)
        return bad;
    if (value.name.size() > 16383 || value.name.contains(QLatin1Char('\n')) || value.name.contains(QLatin1Char('\r')) ||
        value.name.contains(QChar(0)))
        return ERROR_INVALID_PARAMETER;
    return modify([&](RegistryTree &tree, bool *changed) {
        RegistryKeyNode *node = tree.find(root, pieces);
        if (!node)
            return ERROR_KEY_DELETED;
        const int index = node->valueIndex(value.name);
        if (index < 0) {
            node->values.append(value);
        } else {
            node->values[index].type = value.type;
            node->values[index].data = value.data;
        }
        *changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegistryStore::deleteValue(HKEY root, const QString &path, const QString &name)
{
    QStringList pieces;
    if (const LONG bad = keyPieces(root, path, &pieces); bad != ERROR_SUCCESS)
        return bad;
    return modify([&](RegistryTree &tree, bool *changed) {
        RegistryKeyNode *node = tree.find(root, pieces);
        if (!node)
            return ERROR_KEY_DELETED;
        const int index = node->valueIndex(name);
        if (index < 0)
            return ERROR_FILE_NOT_FOUND;
        node->values.removeAt(index);
        *changed = true;
        return ERROR_SUCCESS;
    });
}

} // namespace win32
