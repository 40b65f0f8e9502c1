#include "platform/common/AtomicFile.h"

#include "platform/common/FileIdentity.h"
#include "platform/common/FileKind.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace qm {

namespace {

QString reasonOf(int error)
{
    return systemReason(error);
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

// The longest name the folder takes, in bytes.
qsizetype longestName(const QByteArray &folder)
{
    const long longest = ::pathconf(folder.constData(), _PC_NAME_MAX);
    return longest > 0 ? qsizetype(longest) : 255;
}

// A hidden name beside fileName that fits in the folder: as much of the
// file's own name as there is room for, then a random part.
QString temporaryName(const QString &fileName, qsizetype longest)
{
    const QString random = QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    QString base = fileName;
    while (!base.isEmpty() && QFile::encodeName(QLatin1Char('.') + base + random).size() > longest) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    return QLatin1Char('.') + base + random;
}

Status writeAll(int fd, const char *at, qint64 left, qint64 offset)
{
    while (left > 0) {
        const ssize_t written = ::pwrite(fd, at, size_t(std::min<qint64>(left, qint64(1) << 30)), off_t(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return makeError(reasonOf(written < 0 ? errno : ENOSPC));
        at += written;
        left -= written;
        offset += written;
    }
    return {};
}

// The bytes of from over those of to, to cut to their length and synced;
// touched tells whether any of to's bytes may have changed.
Status copyBytes(int from, int to, bool &touched)
{
    touched = false;
    struct stat source {};
    if (::fstat(from, &source) != 0)
        return makeError(reasonOf(errno));
    // Space first, so that a full disk is found before a byte is overwritten.
    if (::fallocate(to, FALLOC_FL_KEEP_SIZE, 0, source.st_size) != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
        return makeError(reasonOf(errno));
    QByteArray buffer(qsizetype(1) << 20, Qt::Uninitialized);
    for (qint64 offset = 0; offset < source.st_size;) {
        const ssize_t got = ::pread(from, buffer.data(), std::size_t(buffer.size()), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return makeError(reasonOf(got < 0 ? errno : EIO));
        touched = true;
        if (auto written = writeAll(to, buffer.constData(), got, offset); !written)
            return written;
        offset += got;
    }
    if (::ftruncate(to, source.st_size) != 0 || ::fsync(to) != 0)
        return makeError(reasonOf(errno));
    return {};
}

} // namespace

Status AtomicFile::checkTarget(const QString &path)
{
    struct stat existing {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &existing) != 0 || S_ISREG(existing.st_mode))
        return {};
    const QString problem = S_ISDIR(existing.st_mode)
                                ? reasonOf(EISDIR)
                                : QStringLiteral("it is %1, not a regular file; only regular files are replaced")
                                      .arg(kindOfFile(existing.st_mode));
    return makeError(QStringLiteral("%1: cannot be written: %2").arg(QDir::toNativeSeparators(path), problem));
}

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
    m_prepared = false;
}

void AtomicFile::cancel()
{
    discard();
}

Status AtomicFile::open()
{
    discard();
    m_failedToOpen = true;
    m_inPlace = false;
    m_problem.clear();
    if (m_path.isEmpty())
        return fail(QStringLiteral("no file name was given"));
    m_target = resolvedTarget(m_path);
    const QFileInfo target(m_target);
    const QString folder = target.absolutePath();
    struct stat folderInfo {};
    if (::stat(QFile::encodeName(folder).constData(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode))
        return fail(QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder)));
    struct stat existing {};
    const QByteArray targetName = QFile::encodeName(m_target);
    const bool exists = ::stat(targetName.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return fail(reasonOf(EISDIR));
    if (exists && !S_ISREG(existing.st_mode))
        return fail(QStringLiteral("it is %1, not a regular file; only regular files are replaced").arg(kindOfFile(existing.st_mode)));
    // A read-only file system is the folder's problem, found below.
    if (exists && ::access(targetName.constData(), W_OK) != 0 && errno != EROFS)
        return fail(QStringLiteral("the file is read-only: %1").arg(reasonOf(errno)));
    if (auto created = createTemporary(folder, target.fileName(), exists); !created)
        return created;
    if (exists) {
        m_device = existing.st_dev;
        m_inode = existing.st_ino;
        // Other names of the file would keep the old bytes after a rename.
        m_inPlace = existing.st_nlink > 1 || !copyFileIdentity(targetName, existing, m_fd);
    }
    m_failedToOpen = false;
    return {};
}

Status AtomicFile::createTemporary(const QString &folder, const QString &fileName, bool exists)
{
    const QByteArray folderName = QFile::encodeName(folder);
    const qsizetype longest = longestName(folderName);
    // A file that exists gets its permissions once it has its owner and
    // group: until then only its writer may read the new bytes. Read and
    // write, for a copy in place reads the new bytes back.
    const mode_t mode = exists ? 0600 : 0666;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = QDir(folder).filePath(temporaryName(fileName, longest));
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = candidate;
            return {};
        }
        const int error = errno;
        if (error == EEXIST)
            continue;
        if (error == EACCES || error == EPERM || error == EROFS)
            return fail(QStringLiteral("the folder %1 does not allow new files: %2").arg(QDir::toNativeSeparators(folder), reasonOf(error)));
        return failWith(error);
    }
    return fail(QStringLiteral("no temporary file could be created in the folder %1").arg(QDir::toNativeSeparators(folder)));
}

Status AtomicFile::write(QByteArrayView bytes)
{
    m_failedToOpen = false;
    m_prepared = false;
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

Status AtomicFile::prepare()
{
    m_failedToOpen = false;
    if (m_fd < 0)
        return fail(QStringLiteral("the file was not opened for writing"));
    if (::fsync(m_fd) != 0) {
        const int error = errno;
        discard();
        return failWith(error);
    }
    m_prepared = true;
    return {};
}

Status AtomicFile::commit()
{
    m_failedToOpen = false;
    if (m_fd < 0)
        return fail(QStringLiteral("the file was not opened for writing"));
    if (!m_prepared && ::fsync(m_fd) != 0) {
        const int error = errno;
        discard();
        return failWith(error);
    }
    if (m_inPlace)
        return copyInPlace();
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

Status AtomicFile::copyInPlace()
{
    const QByteArray targetName = QFile::encodeName(m_target);
    const int to = ::open(targetName.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat now {};
    if (to < 0 || ::fstat(to, &now) != 0 || now.st_dev != m_device || now.st_ino != m_inode || !S_ISREG(now.st_mode)) {
        const int error = to < 0 ? errno : 0;
        if (to >= 0)
            ::close(to);
        discard();
        return error ? failWith(error) : fail(QStringLiteral("the file was replaced by another while it was being saved"));
    }
    bool touched = false;
    const Status copied = copyBytes(m_fd, to, touched);
    const bool closed = ::close(to) == 0;
    if ((copied && closed) || !touched) {
        discard();
        if (!copied)
            return fail(copied.errorString());
        return {};
    }
    // Part of the old bytes may be gone: the new ones stay where they are.
    ::close(m_fd);
    m_fd = -1;
    const QString kept = QDir::toNativeSeparators(m_temporary);
    m_temporary.clear();
    return fail(QStringLiteral("%1; the file may now be incomplete, and its complete new content is in %2")
                    .arg(copied ? reasonOf(EIO) : copied.errorString(), kept));
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
