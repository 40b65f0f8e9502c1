#include "platform/common/FileIdentity.h"

#include <QList>

#include <optional>

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>

namespace qm {

namespace {

// The attribute names of path (or of fd when path is null), one list; empty
// where the file system keeps none.
std::optional<QList<QByteArray>> attributeNames(const char *path, int fd)
{
    QByteArray names;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = path ? ::listxattr(path, nullptr, 0) : ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP ? std::optional(QList<QByteArray>()) : std::nullopt;
        names.resize(size);
        const ssize_t got = path ? ::listxattr(path, names.data(), names.size()) : ::flistxattr(fd, names.data(), names.size());
        if (got < 0 && errno == ERANGE)
            continue; // one was added meanwhile
        if (got < 0)
            return std::nullopt;
        names.resize(got);
        QList<QByteArray> list = names.split('\0');
        list.removeAll(QByteArray());
        return list;
    }
    return std::nullopt;
}

// The value of one attribute of path (or of fd when path is null).
std::optional<QByteArray> attribute(const char *path, int fd, const QByteArray &name)
{
    QByteArray value;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = path ? ::getxattr(path, name.constData(), nullptr, 0) : ::fgetxattr(fd, name.constData(), nullptr, 0);
        if (size < 0)
            return std::nullopt;
        value.resize(size);
        const ssize_t got = path ? ::getxattr(path, name.constData(), value.data(), value.size())
                                 : ::fgetxattr(fd, name.constData(), value.data(), value.size());
        if (got < 0 && errno == ERANGE)
            continue;
        if (got < 0)
            return std::nullopt;
        value.resize(got);
        return value;
    }
    return std::nullopt;
}

bool copyOwner(const struct stat &old, int fd)
{
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return false;
    if (now.st_uid == old.st_uid && now.st_gid == old.st_gid)
        return true;
    return ::fchown(fd, now.st_uid == old.st_uid ? uid_t(-1) : old.st_uid, now.st_gid == old.st_gid ? gid_t(-1) : old.st_gid) == 0;
}

bool copyAttributes(const QByteArray &path, int fd)
{
    const auto wanted = attributeNames(path.constData(), -1);
    const auto present = attributeNames(nullptr, fd);
    if (!wanted || !present)
        return false;
    for (const QByteArray &name : *present)
        if (!wanted->contains(name) && ::fremovexattr(fd, name.constData()) != 0)
            return false;
    for (const QByteArray &name : *wanted) {
        const auto value = attribute(path.constData(), -1, name);
        if (!value)
            return false;
        // One the new file already has alike (a security label) is not set again.
        if (present->contains(name) && attribute(nullptr, fd, name) == value)
            continue;
        if (::fsetxattr(fd, name.constData(), value->constData(), std::size_t(value->size()), 0) != 0)
            return false;
    }
    return true;
}

} // namespace

bool copyFileIdentity(const QByteArray &path, const struct stat &old, int fd)
{
    // The owner first: changing it clears the set-ID bits, set last with the
    // permissions, which also bring an ACL's mask back to the old one's.
    if (!copyOwner(old, fd) || !copyAttributes(path, fd))
        return false;
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

} // namespace qm
