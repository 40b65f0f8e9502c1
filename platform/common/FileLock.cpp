#include "platform/common/FileLock.h"

#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

FileLock::FileLock(QString path)
    : m_path(std::move(path))
{
}

FileLock::~FileLock()
{
    unlock();
}

bool FileLock::lock(int timeoutMs)
{
    if (m_locked)
        return true;
    m_timedOut = false;
    m_problem.clear();
    if (m_fd < 0) {
        // Non-blocking open, so a FIFO put in its place cannot hang the caller.
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                      0666);
        struct stat info {};
        if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            m_problem = m_fd < 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                 : QStringLiteral("it is not a regular file");
            if (m_fd >= 0)
                ::close(m_fd);
            m_fd = -1;
            return false;
        }
    }
    for (int waited = 0;; waited += 10) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return m_locked = true;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_problem = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        if (waited >= timeoutMs) {
            m_timedOut = true;
            m_problem = QStringLiteral("another program holds it");
            return false;
        }
        QThread::msleep(10);
    }
}

void FileLock::unlock()
{
    if (m_fd < 0)
        return;
    if (m_locked)
        ::flock(m_fd, LOCK_UN);
    m_locked = false;
    ::close(m_fd);
    m_fd = -1;
}

} // namespace qm
