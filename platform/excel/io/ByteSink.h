#pragma once

#include <QByteArray>

#include <functional>

#include <cstdint>
#include <cstring>

namespace excel::backend {

// A growing byte buffer written through a pointer: the sheet writers append
// millions of small pieces, and each QByteArray append costs a call and checks.
class ByteSink {
public:
    explicit ByteSink(qsizetype reserve = 4096);
    ByteSink &operator<<(char c)
    {
        room(1);
        *m_at++ = c;
        return *this;
    }
    template <size_t N>
    ByteSink &operator<<(const char (&literal)[N])
    {
        append(literal, N - 1);
        return *this;
    }
    ByteSink &operator<<(const QByteArray &bytes)
    {
        append(bytes.constData(), size_t(bytes.size()));
        return *this;
    }
    void append(const char *data, size_t size)
    {
        room(size);
        std::memcpy(m_at, data, size);
        m_at += size;
    }
    void appendInt(long long value);
    void appendNumber(double value);
    // Little-endian fields, for BIFF records.
    void le16(unsigned value)
    {
        char *at = room(2);
        at[0] = char(value & 0xFF);
        at[1] = char((value >> 8) & 0xFF);
        m_at += 2;
    }
    void le32(std::uint32_t value)
    {
        le16(value & 0xFFFF);
        le16(value >> 16);
    }
    // Makes room for `size` more bytes at cursor().
    char *room(size_t size)
    {
        if (size_t(m_end - m_at) < size)
            grow(size);
        return m_at;
    }
    char *&cursor() { return m_at; }
    QByteArray take();
    // With a drain, a full sink hands what it holds to the drain and starts
    // again in the same room instead of growing, so a large file is written
    // in bounded memory. flush() hands over the rest.
    using Drain = std::function<void(const char *data, size_t size)>;
    void setDrain(Drain drain) { m_drain = std::move(drain); }
    void flush();
    // What was written so far; clear() starts again in the same room.
    const char *data() const { return m_bytes.constData(); }
    std::size_t size() const { return std::size_t(m_at - m_bytes.constData()); }
    void clear() { m_at = m_bytes.data(); }

private:
    void grow(size_t size);
    QByteArray m_bytes;
    char *m_at, *m_end;
    Drain m_drain;
};

} // namespace excel::backend
