#pragma once

#include <QtGlobal>

namespace resutil {

// Starts the disk writes of a large file while the rest is still being
// produced, so the flush before the file is renamed into place waits for
// little. Tell it how much was written after each write.
class DiskWriter {
public:
    explicit DiskWriter(int fd) : m_fd(fd) {}
    void written(qint64 bytes);

private:
    int m_fd;
    qint64 m_written = 0;
    qint64 m_started = 0; // bytes whose writing to disk has been started
};

} // namespace resutil
