#pragma once

#include <QByteArray>

#include <cstdint>
#include <future>
#include <memory>

namespace excel::backend {

// A zip member deflated while it is produced: pieces are compressed on a
// thread of their own while the caller makes the next, and only the
// compressed stream is kept, so memory follows the compressed size.
class DeflateStream {
public:
    DeflateStream();
    ~DeflateStream();
    DeflateStream(const DeflateStream &) = delete;
    DeflateStream &operator=(const DeflateStream &) = delete;

    void write(const char *data, std::size_t size);
    // Ends the stream; false when the compressor failed (out of memory).
    bool finish();

    // After finish: the raw deflate stream, the inflated size and its CRC-32.
    QByteArray takeStream();
    std::uint64_t size() const { return m_size; }
    std::uint32_t crc() const { return m_crc; }

private:
    void handOver(bool last);
    bool compress(const QByteArray &piece, bool last);

    struct Compressor;
    std::unique_ptr<Compressor> m_compressor;
    QByteArray m_piece, m_stream;
    qsizetype m_streamUsed = 0;
    std::future<bool> m_busy;
    bool m_failed = false;
    std::uint64_t m_size = 0;
    std::uint32_t m_crc = 0;
};

} // namespace excel::backend
