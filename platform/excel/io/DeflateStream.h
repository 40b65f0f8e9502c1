#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <future>
#include <memory>

namespace excel::backend {

// A file that has no name, so nothing is left behind whatever happens; -1
// where none can be made.
int unnamedTemporaryFile();

// A finished raw deflate stream kept in an unnamed temporary file, which
// goes with the last reference to it.
class SpilledStream {
public:
    SpilledStream(int fd, qint64 size) : m_fd(fd), m_size(size) {}
    ~SpilledStream();
    SpilledStream(const SpilledStream &) = delete;
    SpilledStream &operator=(const SpilledStream &) = delete;

    qint64 size() const { return m_size; }
    // Up to n bytes from offset into out: how many, or -1 when the file
    // cannot be read.
    qint64 read(qint64 offset, char *out, qint64 n) const;

private:
    int m_fd;
    qint64 m_size;
};

// A zip member deflated while it is produced: pieces are compressed on a
// thread of their own while the caller makes the next, and only the
// compressed stream is kept, so memory follows the compressed size. Told to
// keep it on disk, it holds at most a megabyte or so of it.
class DeflateStream {
public:
    DeflateStream();
    ~DeflateStream();
    DeflateStream(const DeflateStream &) = delete;
    DeflateStream &operator=(const DeflateStream &) = delete;

    // Before the first write: beyond a megabyte, the compressed stream goes
    // into a temporary file (where the system has none, it stays in memory).
    void keepOnDisk() { m_keepOnDisk = true; }

    void write(const char *data, std::size_t size);
    // Ends the stream; false when the compressor failed, problem() says why.
    bool finish();
    QString problem() const;

    // After finish: the raw deflate stream, the inflated size and its CRC-32.
    // A stream kept on disk is in takeSpilled(), and takeStream() is empty.
    QByteArray takeStream();
    std::shared_ptr<const SpilledStream> takeSpilled();
    std::uint64_t size() const { return m_size; }
    std::uint32_t crc() const { return m_crc; }

private:
    void handOver(bool last);
    bool compress(const QByteArray &piece, bool last);
    bool spill();

    struct Compressor;
    std::unique_ptr<Compressor> m_compressor;
    QByteArray m_piece, m_stream;
    qsizetype m_streamUsed = 0;
    std::future<bool> m_busy;
    bool m_failed = false;
    bool m_keepOnDisk = false;
    int m_spillFd = -1;
    qint64 m_spilled = 0;
    int m_spillError = 0; // errno of a failed spill
    std::uint64_t m_size = 0;
    std::uint32_t m_crc = 0;
};

} // namespace excel::backend
