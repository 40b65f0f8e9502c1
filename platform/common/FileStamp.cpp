#include "platform/common/FileStamp.h"

#include <QFile>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

FileStamp fromStat(const struct stat &st)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = qint64(st.st_size);
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.device = quint64(st.st_dev);
    stamp.inode = quint64(st.st_ino);
    return stamp;
}

} // namespace

FileStamp FileStamp::of(const QString &path)
{
    struct stat st;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return fromStat(st);
}

FileStamp FileStamp::ofDescriptor(int fd)
{
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return fromStat(st);
}

bool fileUnchanged(const QString &path, const FileStamp &was, const QByteArray *content)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return !was.exists && !file.exists();
    if (FileStamp::ofDescriptor(file.handle()) != was)
        return false;
    if (!content)
        return true;
    if (file.size() != content->size())
        return false;
    constexpr qint64 piece = 1 << 16;
    QByteArray buffer(piece, Qt::Uninitialized);
    for (qint64 at = 0; at < content->size();) {
        const qint64 n = file.read(buffer.data(), std::min(piece, content->size() - at));
        if (n <= 0 || std::memcmp(buffer.constData(), content->constData() + at, size_t(n)) != 0)
            return false;
        at += n;
    }
    return true;
}

} // namespace qm
