#pragma once

#include <QString>

namespace qm {

// An exclusive lock between processes, held on a lock file beside the file it
// guards. The kernel lets go of it when its holder exits, however it exits, so
// a killed writer never leaves a lock behind for the others to wait out. The
// lock file itself stays: removing it would let a waiter lock a file that a
// newcomer no longer sees.
class FileLock {
public:
    explicit FileLock(QString path);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Waits up to timeoutMs for the lock. False when it is not had, with the
    // reason in problem() (timedOut() when another holder kept it).
    bool lock(int timeoutMs);
    void unlock();
    bool isLocked() const { return m_locked; }
    bool timedOut() const { return m_timedOut; }
    QString problem() const { return m_problem; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_locked = false;
    bool m_timedOut = false;
    QString m_problem;
};

} // namespace qm
