#include "platform/common/FileKind.h"

#include <sys/stat.h>

#include <cstring>

namespace qm {

QString kindOfFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISREG(mode))
        return QStringLiteral("a regular file");
    return QStringLiteral("not a file");
}

QString systemReason(int error)
{
    char buffer[256] = {};
    // The GNU strerror_r returns its text, which may not be in buffer.
    return QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer));
}

} // namespace qm
