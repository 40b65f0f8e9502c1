#pragma once

#include <QByteArray>

#include <future>
#include <memory>

namespace excel::backend {

class SpilledStream;

// A member's raw deflate stream with its inflated size and CRC-32: deflated
// by the writer on a thread of its own while the caller builds the next part,
// or given already deflated, in memory or in a temporary file.
class ZipMember {
public:
    // Deflated meanwhile (where no thread can be started, when waited for).
    static std::unique_ptr<ZipMember> deflating(QByteArray data);
    static std::unique_ptr<ZipMember> deflated(QByteArray stream, quint64 size, quint32 crc);
    static std::unique_ptr<ZipMember> spilled(std::shared_ptr<const SpilledStream> stream, quint64 size, quint32 crc);
    // Kept as it is, not deflated (an OpenDocument package's "mimetype").
    static std::unique_ptr<ZipMember> stored(QByteArray data);
    ~ZipMember();

    // Whether the stream is there, waiting for its deflation if need be.
    bool wait();
    // After wait().
    quint64 size() const { return m_size; }
    quint32 crc() const { return m_crc; }
    quint64 compressedSize() const;
    // Up to n bytes of the stream from offset: how many, or -1 when its
    // temporary file cannot be read.
    qint64 read(quint64 offset, char *out, qint64 n) const;
    // The stream in memory, empty when it is spilled.
    const QByteArray &stream() const { return m_stream; }
    bool isStored() const { return m_stored; }

private:
    ZipMember() = default;
    bool deflateAll(const QByteArray &data);

    std::future<bool> m_done;
    QByteArray m_stream;
    std::shared_ptr<const SpilledStream> m_spilled; // instead of m_stream
    quint64 m_size = 0;
    quint32 m_crc = 0;
    bool m_waited = false, m_ok = false;
    bool m_stored = false;
};

} // namespace excel::backend
