#include "platform/common/InputFile.h"

#include "platform/common/FileKind.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace qm {

Status checkInputSize(qint64 size, qint64 maxBytes, const QString &kinds)
{
    if (size <= maxBytes)
        return {};
    return makeError(QStringLiteral("it has %1 bytes (%2 MB); %3 of more than %4 bytes (%5 MB) are not read")
                         .arg(QString::number(size), QString::number(size >> 20), kinds, QString::number(maxBytes),
                              QString::number(maxBytes >> 20)));
}

Result<QByteArray> readInputFile(QFile &file, qint64 expected, qint64 maxBytes)
{
    QByteArray bytes;
    // What the file holds, one byte more to tell that it grew, then in
    // growing steps: a size that says nothing (/proc) costs no more.
    for (qint64 step = std::min(expected, maxBytes) + 1;; step = std::min<qint64>(step * 2, qint64(64) << 20)) {
        const qsizetype at = bytes.size();
        const qint64 wanted = std::min<qint64>(step, maxBytes + 1 - at);
        bytes.resize(at + qsizetype(wanted));
        qint64 got = 0;
        while (got < wanted) {
            const qint64 n = file.read(bytes.data() + at + got, wanted - got);
            if (n < 0)
                return makeError(file.errorString());
            if (n == 0)
                break;
            got += n;
        }
        bytes.resize(at + qsizetype(got));
        if (bytes.size() > maxBytes)
            return makeError(QStringLiteral("it grew past %1 bytes while it was read").arg(maxBytes));
        if (got < wanted)
            return bytes;
    }
}

Result<qint64> openInputFile(QFile &file, const QString &path, qint64 maxBytes, const QString &kinds,
                             QIODevice::OpenMode mode)
{
    file.setFileName(path);
    const QByteArray name = QFile::encodeName(path);
    // Without blocking: opening a FIFO would wait for a writer.
    int fd = -1;
    do
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return makeError(systemReason(errno));
    const auto refuse = [fd](const QString &why) {
        ::close(fd);
        return makeError(why);
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return refuse(systemReason(errno));
    if (!S_ISREG(info.st_mode))
        return refuse(QStringLiteral("it is %1, not a regular file; only regular files are read").arg(kindOfFile(info.st_mode)));
    if (auto fits = checkInputSize(qint64(info.st_size), maxBytes, kinds); !fits)
        return refuse(fits.errorString());
    if (const int flags = ::fcntl(fd, F_GETFL); flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return refuse(systemReason(errno));
    if (!file.open(fd, mode | QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return refuse(file.errorString());
    return qint64(info.st_size);
}

} // namespace qm
