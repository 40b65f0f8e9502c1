#include "platform/excel/io/DeflateStream.h"

#include <QDir>
#include <QFile>

#include <zlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace excel::backend {

namespace {
// Pieces of this size keep the compressor busy without holding much.
constexpr qsizetype kPiece = qsizetype(1) << 18;
// On a sheet of inline texts zlib's level 3 gives a smaller part than level 1
// (about 12%) and than level 2, in a third more time, which the thread hides.
constexpr int kLevel = 3;
// A stream kept on disk goes there in pieces of about this size; its buffer
// grows to half as much again.
constexpr qsizetype kSpillAt = qsizetype(1) << 17;

} // namespace

int unnamedTemporaryFile()
{
    // A temporary folder that does not exist comes back empty: never the root instead.
    const QByteArray folder = QFile::encodeName(QDir::tempPath());
    if (folder.isEmpty())
        return -1;
#if defined(O_TMPFILE)
    if (const int fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600); fd >= 0)
        return fd;
#endif
    // A file system without unnamed files: a named one, unlinked at once.
    QByteArray name = folder + "/.quillmark-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        ::unlink(name.constData());
    return fd;
}

SpilledStream::~SpilledStream()
{
    ::close(m_fd);
}

qint64 SpilledStream::read(qint64 offset, char *out, qint64 n) const
{
    n = std::max<qint64>(0, std::min(n, m_size - offset));
    for (qint64 done = 0; done < n;) {
        const ssize_t got = ::pread(m_fd, out + done, std::size_t(n - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return -1;
        done += got;
    }
    return n;
}

struct DeflateStream::Compressor {
    z_stream z{};
    bool ready = false;
    Compressor() { ready = deflateInit2(&z, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK; }
    ~Compressor()
    {
        if (ready)
            deflateEnd(&z);
    }
};

DeflateStream::DeflateStream() : m_compressor(std::make_unique<Compressor>())
{
    m_failed = !m_compressor->ready;
    m_piece.reserve(kPiece);
}

DeflateStream::~DeflateStream()
{
    if (m_busy.valid())
        m_busy.wait();
    if (m_spillFd >= 0)
        ::close(m_spillFd);
}

void DeflateStream::write(const char *data, std::size_t size)
{
    while (size > 0) {
        const std::size_t room = std::size_t(kPiece - m_piece.size());
        const std::size_t n = std::min(room, size);
        m_piece.append(data, qsizetype(n));
        data += n;
        size -= n;
        if (m_piece.size() == kPiece)
            handOver(false);
    }
}

bool DeflateStream::finish()
{
    handOver(true);
    if (m_busy.valid())
        m_failed = !m_busy.get() || m_failed;
    m_stream.truncate(m_streamUsed);
    return !m_failed;
}

QString DeflateStream::problem() const
{
    if (m_spillError != 0)
        return QStringLiteral("its temporary file cannot be written: %1").arg(QString::fromLocal8Bit(std::strerror(m_spillError)));
    return QStringLiteral("out of memory");
}

QByteArray DeflateStream::takeStream()
{
    return std::move(m_stream);
}

std::shared_ptr<const SpilledStream> DeflateStream::takeSpilled()
{
    if (m_spillFd < 0)
        return nullptr;
    auto spilled = std::make_shared<const SpilledStream>(m_spillFd, m_spilled);
    m_spillFd = -1;
    return spilled;
}

void DeflateStream::handOver(bool last)
{
    // One piece at a time: the compressor keeps its state from one to the next.
    if (m_busy.valid() && !m_busy.get())
        m_failed = true;
    if (m_failed) {
        m_piece.resize(0); // nothing more is kept; write() must not wait for room forever
        return;
    }
    QByteArray piece = std::move(m_piece);
    m_piece = QByteArray();
    if (!last)
        m_piece.reserve(kPiece);
    // Deferred when no thread can be started: then it runs when waited for.
    m_busy = std::async(std::launch::async | std::launch::deferred,
                        [this, piece = std::move(piece), last] { return compress(piece, last); });
}

bool DeflateStream::compress(const QByteArray &piece, bool last)
{
    z_stream &z = m_compressor->z;
    m_crc = std::uint32_t(crc32(m_crc, reinterpret_cast<const Bytef *>(piece.constData()), uInt(piece.size())));
    m_size += std::uint64_t(piece.size());
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(piece.constData()));
    z.avail_in = uInt(piece.size());
    const int flush = last ? Z_FINISH : Z_NO_FLUSH;
    for (;;) {
        if (m_stream.size() - m_streamUsed < (qsizetype(1) << 16))
            m_stream.resize(std::max(m_stream.size() + m_stream.size() / 2, m_streamUsed + kPiece / 4));
        z.next_out = reinterpret_cast<Bytef *>(m_stream.data() + m_streamUsed);
        z.avail_out = uInt(m_stream.size() - m_streamUsed);
        const int result = deflate(&z, flush);
        m_streamUsed = m_stream.size() - qsizetype(z.avail_out);
        // The end of a stream already on disk follows it there; a short one stays.
        if (m_keepOnDisk && (m_streamUsed >= kSpillAt || (result == Z_STREAM_END && m_spillFd >= 0)) && !spill())
            return false;
        if (result == Z_STREAM_END)
            return true;
        if (result != Z_OK && result != Z_BUF_ERROR)
            return false;
        if (!last && z.avail_in == 0)
            return true;
    }
}

bool DeflateStream::spill()
{
    if (m_spillFd < 0 && (m_spillFd = unnamedTemporaryFile()) < 0) {
        m_keepOnDisk = false;
        return true;
    }
    for (qsizetype done = 0; done < m_streamUsed;) {
        const ssize_t n = ::write(m_spillFd, m_stream.constData() + done, std::size_t(m_streamUsed - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_spillError = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += n;
    }
    m_spilled += m_streamUsed;
    m_streamUsed = 0;
    return true;
}

} // namespace excel::backend
