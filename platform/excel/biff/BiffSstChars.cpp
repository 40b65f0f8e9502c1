#include "platform/excel/biff/BiffSstChars.h"

#include "platform/excel/io/DeflateStream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace excel::backend::biff {

namespace {

// All n bytes to fd; 0 or the errno of the failure (ENOSPC where the file stopped growing).
int writeAll(int fd, const char *data, std::size_t n)
{
    for (std::size_t done = 0; done < n;) {
        const ssize_t put = ::write(fd, data + done, n - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return put < 0 ? errno : ENOSPC;
        done += std::size_t(put);
    }
    return 0;
}

} // namespace

SstChars::SstChars() : SstChars(unnamedTemporaryFile()) {}

SstChars::SstChars(int fd) : m_fd(fd)
{
    if (m_fd >= 0)
        m_buffer.reserve(BufferBytes);
}

SstChars::SstChars(const SstChars &other)
    : m_fd(other.m_fd >= 0 ? unnamedTemporaryFile() : -1), m_writeError(other.m_writeError), m_readError(other.m_readError)
{
    if (m_fd < 0) {
        // No file: all of the characters in memory, as where none was ever made.
        m_buffer.resize(std::size_t(other.size()));
        if (!other.read(0, m_buffer.data(), m_buffer.size()))
            m_readError = other.m_readError;
        return;
    }
    std::vector<char> piece(BufferBytes);
    for (std::uint64_t at = 0; at < other.m_flushed && m_writeError == 0 && m_readError == 0;) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(piece.size(), other.m_flushed - at));
        if (!other.read(at, piece.data(), n))
            m_readError = other.m_readError;
        else
            m_writeError = writeAll(m_fd, piece.data(), n);
        at += n;
    }
    m_flushed = other.m_flushed;
    m_buffer.reserve(std::max(BufferBytes, other.m_buffer.size()));
    m_buffer = other.m_buffer;
}

SstChars::SstChars(SstChars &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_buffer(std::move(other.m_buffer)), m_flushed(other.m_flushed),
      m_writeError(other.m_writeError), m_readError(other.m_readError)
{
}

SstChars::~SstChars()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void SstChars::append(const char *data, std::size_t n)
{
    // A string is never split between the file and the buffer.
    if (m_fd >= 0 && !m_buffer.empty() && m_buffer.size() + n > BufferBytes)
        flush();
    m_buffer.insert(m_buffer.end(), data, data + n);
}

void SstChars::flush()
{
    if (m_writeError == 0)
        m_writeError = writeAll(m_fd, m_buffer.data(), m_buffer.size());
    m_flushed += m_buffer.size();
    m_buffer.clear();
}

bool SstChars::equals(std::uint64_t start, const char *data, std::size_t n)
{
    if (n == 0)
        return true;
    if (start >= m_flushed)
        return std::memcmp(m_buffer.data() + (start - m_flushed), data, n) == 0;
    m_readBack.resize(n);
    return read(start, m_readBack.data(), n) && std::memcmp(m_readBack.data(), data, n) == 0;
}

bool SstChars::read(std::uint64_t start, char *out, std::size_t n) const
{
    std::size_t done = 0;
    while (done < n && start + done < m_flushed) {
        const std::size_t want = std::size_t(std::min<std::uint64_t>(n - done, m_flushed - start - done));
        const ssize_t got = ::pread(m_fd, out + done, want, off_t(start + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            m_readError = got < 0 ? errno : EIO;
            return false;
        }
        done += std::size_t(got);
    }
    if (done < n)
        std::memcpy(out + done, m_buffer.data() + (start + done - m_flushed), n - done);
    return true;
}

QString SstChars::problem() const
{
    if (m_writeError != 0)
        return QStringLiteral("the shared strings cannot be kept in a temporary file (%1)")
            .arg(QString::fromLocal8Bit(std::strerror(m_writeError)));
    if (m_readError != 0)
        return QStringLiteral("the shared strings cannot be read back from their temporary file (%1)")
            .arg(QString::fromLocal8Bit(std::strerror(m_readError)));
    return {};
}

} // namespace excel::backend::biff
