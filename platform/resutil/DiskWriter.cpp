#include "platform/resutil/DiskWriter.h"

#if defined(__linux__)
#include <fcntl.h>
#endif

namespace resutil {

namespace {

constexpr qint64 kStep = qint64(8) << 20;

} // namespace

void DiskWriter::written(qint64 bytes)
{
    m_written += bytes;
#if defined(__linux__) && defined(SYNC_FILE_RANGE_WRITE)
    if (m_written - m_started < kStep)
        return;
    if (m_fd >= 0)
        ::sync_file_range(m_fd, m_started, m_written - m_started, SYNC_FILE_RANGE_WRITE);
    m_started = m_written;
#endif
}

} // namespace resutil
