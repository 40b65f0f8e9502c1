#include "platform/excel/io/ByteSink.h"

#include <algorithm>
#include <charconv>

namespace excel::backend {

ByteSink::ByteSink(qsizetype reserve)
{
    m_bytes.resize(std::max<qsizetype>(reserve, 64));
    m_at = m_bytes.data();
    m_end = m_at + m_bytes.size();
}

void ByteSink::grow(size_t size)
{
    if (m_drain) {
        flush();
        if (size_t(m_end - m_at) >= size)
            return;
    }
    const qsizetype used = m_at - m_bytes.data();
    m_bytes.resize(std::max(m_bytes.size() * 2, used + qsizetype(size)));
    m_at = m_bytes.data() + used;
    m_end = m_bytes.data() + m_bytes.size();
}

void ByteSink::flush()
{
    if (!m_drain)
        return;
    if (m_at != m_bytes.data())
        m_drain(m_bytes.constData(), size_t(m_at - m_bytes.constData()));
    m_at = m_bytes.data();
}

QByteArray ByteSink::take()
{
    m_bytes.truncate(m_at - m_bytes.data());
    QByteArray out = std::move(m_bytes);
    m_bytes = QByteArray();
    m_at = m_end = nullptr;
    return out;
}

void ByteSink::appendInt(long long value)
{
    char *at = room(24);
    m_at = std::to_chars(at, at + 24, value).ptr;
}

void ByteSink::appendNumber(double value)
{
    char *at = room(32);
    m_at = std::to_chars(at, at + 32, value).ptr;
}

} // namespace excel::backend
