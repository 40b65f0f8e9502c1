#pragma once

#include <QtEndian>
#include <QtGlobal>

#include <cstring>

namespace resutil {

// Reads little-endian fields from a byte range. Every read checks the bounds
// first and fails without moving when the range holds too few bytes.
class ByteCursor {
public:
    ByteCursor(const char *data, qint64 size, qint64 pos = 0) : m_data(data), m_size(size), m_pos(pos) {}

    qint64 pos() const { return m_pos; }
    qint64 size() const { return m_size; }
    qint64 remaining() const { return m_size - m_pos; }
    const char *here() const { return m_data + m_pos; }

    bool has(qint64 count) const { return count >= 0 && count <= m_size - m_pos; }
    bool skip(qint64 count)
    {
        if (!has(count))
            return false;
        m_pos += count;
        return true;
    }
    bool seek(qint64 pos)
    {
        if (pos < 0 || pos > m_size)
            return false;
        m_pos = pos;
        return true;
    }
    bool readU16(quint16 &value)
    {
        if (!has(2))
            return false;
        value = qFromLittleEndian<quint16>(m_data + m_pos);
        m_pos += 2;
        return true;
    }
    bool readU32(quint32 &value)
    {
        if (!has(4))
            return false;
        value = qFromLittleEndian<quint32>(m_data + m_pos);
        m_pos += 4;
        return true;
    }
    // Reads count UTF-16 code units into out (which must hold count units).
    bool readUtf16(char16_t *out, qint64 count)
    {
        if (count < 0 || count > remaining() / 2)
            return false;
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            std::memcpy(out, m_data + m_pos, std::size_t(count) * 2);
        } else {
            for (qint64 i = 0; i < count; ++i)
                out[i] = qFromLittleEndian<quint16>(m_data + m_pos + 2 * i);
        }
        m_pos += 2 * count;
        return true;
    }

private:
    const char *m_data;
    qint64 m_size;
    qint64 m_pos;
};

inline qint64 alignTo4(qint64 value)
{
    return (value + 3) & ~qint64(3);
}

} // namespace resutil
