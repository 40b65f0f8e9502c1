#include "platform/common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qm {

namespace {

QString reasonOf(int error)
{
    char buffer[256] = {};
    // The GNU strerror_r returns its text, which may not be in buffer.
    return QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer));
}

// The file a path stands for: links are followed to what they name, even when
// that does not exist yet, so that saving keeps the link.
QString resolvedTarget(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.absoluteFilePath();
}

int syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = 0;
    // Some file systems cannot sync a folder; their renames are as durable as they get.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        error = errno;
    ::close(fd);
    return error;
}

} // namespace

AtomicFile::AtomicFile(QString path) : m_path(std::move(path)) {}

AtomicFile::~AtomicFile()
{
    discard();
}

Status AtomicFile::fail(const QString &problem)
{
    m_problem = problem;
    return makeError(QStringLiteral("%1: cannot be written: %2").arg(QDir::toNativeSeparators(m_path), problem));
}

Status AtomicFile::failWith(int error)
{
    // A disk that fills up may only say so as a short write; the caller hears why.
    if (error == EDQUOT)
        error = ENOSPC;
    return fail(reasonOf(error));
}

void AtomicFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        ::unlink(QFile::encodeName(m_temporary).constData());
    m_temporary.clear();
}

void AtomicFile::cancel()
{
    discard();
}

Status AtomicFile::open()
{
    discard();
    m_failedToOpen = true;
    m_problem.clear();
    if (m_path.isEmpty())
        return fail(QStringLiteral("no file name was given"));
    m_target = resolvedTarget(m_path);
    const QFileInfo target(m_target);
    const QString folder = target.absolutePath();
    const QString shownFolder = QDir::toNativeSeparators(folder);
    struct stat folderInfo {};
    if (::stat(QFile::encodeName(folder).constData(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode))
        return fail(QStringLiteral("the folder %1 does not exist").arg(shownFolder));
    struct stat existing {};
    const bool exists = ::stat(QFile::encodeName(m_target).constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return fail(reasonOf(EISDIR));
    // A read-only file system is the folder's problem, found below.
    if (exists && ::access(QFile::encodeName(m_target).constData(), W_OK) != 0 && errno != EROFS)
        return fail(QStringLiteral("the file is read-only: %1").arg(reasonOf(errno)));

    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral(".%1.%2.tmp")
                                 .arg(target.fileName(),
                                      QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        const QString candidate = QDir(folder).filePath(name);
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = candidate;
            break;
        }
        const int error = errno;
        if (error == EEXIST)
            continue;
        if (error == EACCES || error == EPERM || error == EROFS)
            return fail(QStringLiteral("the folder %1 does not allow new files: %2").arg(shownFolder, reasonOf(error)));
        return failWith(error);
    }
    if (m_fd < 0)
        return fail(QStringLiteral("no temporary file could be created in the folder %1").arg(shownFolder));
    if (exists && ::fchmod(m_fd, existing.st_mode & 07777) != 0) {
        const int error = errno;
        discard();
        return failWith(error);
    }
    m_failedToOpen = false;
    return {};
}

Status AtomicFile::write(QByteArrayView bytes)
{
    m_failedToOpen = false;
    if (m_fd < 0)
        return fail(QStringLiteral("the file was not opened for writing"));
    const char *at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, at, size_t(std::min<qsizetype>(left, qsizetype(1) << 30)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            discard();
            return failWith(error);
        }
        at += written;
        left -= written;
    }
    return {};
}

Status AtomicFile::commit()
{
    m_failedToOpen = false;
    if (m_fd < 0)
        return fail(QStringLiteral("the file was not opened for writing"));
    if (::fsync(m_fd) != 0) {
        const int error = errno;
        discard();
        return failWith(error);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        discard();
        return failWith(error);
    }
    if (::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData()) != 0) {
        const int error = errno;
        discard();
        return failWith(error);
    }
    m_temporary.clear();
    if (const int error = syncFolder(QFile::encodeName(QFileInfo(m_target).absolutePath())))
        return fail(QStringLiteral("the new file is in place, but its folder could not be synced to disk: %1")
                        .arg(reasonOf(error)));
    return {};
}

Status writeFileAtomically(const QString &path, QByteArrayView bytes)
{
    AtomicFile file(path);
    if (auto opened = file.open(); !opened)
        return opened;
    if (auto written = file.write(bytes); !written)
        return written;
    return file.commit();
}

} // namespace qm
