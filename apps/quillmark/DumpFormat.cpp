#include "DumpFormat.h"
#include "EscapedText.h"

#include <QCryptographicHash>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <string_view>

namespace cli {

namespace {

char *putNumber(char *out, qint64 value)
{
    return std::to_chars(out, out + 24, value).ptr;
}

char *putLiteral(char *out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

} // namespace

char *DumpWriter::room(std::size_t bytes)
{
    if (m_capacity - m_size < bytes) {
        std::size_t capacity = std::max<std::size_t>(m_capacity * 2, 1 << 16);
        while (capacity - m_size < bytes)
            capacity *= 2;
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        if (m_size)
            std::memcpy(grown.get(), m_buffer.get(), m_size);
        m_buffer = std::move(grown);
        m_capacity = capacity;
    }
    return m_buffer.get() + m_size;
}

void DumpWriter::append(std::string_view text)
{
    putLiteral(room(text.size()), text);
    m_size += text.size();
}

void DumpWriter::appendString(QStringView text)
{
    char *out = room(kEscapedBytesPerUnit * std::size_t(text.size()) + 2);
    *out++ = '"';
    out = putEscaped<true>(out, text);
    *out++ = '"';
    m_size = std::size_t(out - m_buffer.get());
}

void DumpWriter::appendName(const resutil::ResName &name)
{
    if (name.isString) {
        appendString(name.name);
    } else {
        m_size = std::size_t(putNumber(room(24), name.ordinal) - m_buffer.get());
    }
}

void DumpWriter::appendNumber(qint64 value)
{
    m_size = std::size_t(putNumber(room(24), value) - m_buffer.get());
}

DumpWriter::DumpWriter(bool json, qint64 sizeHint) : m_json(json)
{
    room(std::size_t(std::clamp<qint64>(sizeHint, 1 << 16, qint64(1) << 30)));
    if (m_json)
        append("{\"strings\": [");
}

void DumpWriter::addString(qint64 localeId, qint64 id, QStringView text)
{
    // Two numbers, separators and the escaped text.
    char *out = room(kEscapedBytesPerUnit * std::size_t(text.size()) + 64);
    if (m_json) {
        out = putLiteral(out, m_first ? "[" : ", [");
        m_first = false;
        out = putNumber(out, localeId);
        out = putLiteral(out, ", ");
        out = putNumber(out, id);
        out = putLiteral(out, ", \"");
        out = putEscaped<true>(out, text);
        out = putLiteral(out, "\"]");
    } else {
        out = putNumber(out, localeId);
        *out++ = '\t';
        out = putNumber(out, id);
        *out++ = '\t';
        out = putEscaped<false>(out, text);
        *out++ = '\n';
    }
    m_size = std::size_t(out - m_buffer.get());
}

QByteArrayView DumpWriter::finish(const QList<resutil::ResResource> &others)
{
    if (m_json) {
        append("], \"resources\": [");
        bool first = true;
        for (const resutil::ResResource &resource : others) {
            append(first ? "{\"type\": " : ", {\"type\": ");
            first = false;
            appendName(resource.type);
            append(", \"name\": ");
            appendName(resource.name);
            append(", \"lang\": ");
            appendNumber(resource.fields.language);
            append(", \"size\": ");
            appendNumber(resource.data.size());
            append(", \"sha256\": \"");
            const QByteArray digest = QCryptographicHash::hash(resource.data, QCryptographicHash::Sha256).toHex();
            append(std::string_view(digest.constData(), std::size_t(digest.size())));
            append("\"}");
        }
        append("]}\n");
    }
    return QByteArrayView(m_buffer.get(), qsizetype(m_size));
}

} // namespace cli
