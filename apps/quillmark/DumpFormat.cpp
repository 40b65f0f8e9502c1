#include "DumpFormat.h"
#include "EscapedText.h"

#include "platform/resutil/LargeAllocation.h"

#include <QCryptographicHash>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

namespace cli {

namespace {

char *putNumber(char *out, qint64 value)
{
    // Locale and string IDs: up to five digits, written without a library call.
    if (value < 0 || value > 99999)
        return std::to_chars(out, out + 24, value).ptr;
    auto rest = quint32(value);
    char digits[5];
    int count = 0;
    do {
        digits[count++] = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    while (count > 0)
        *out++ = digits[--count];
    return out;
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
        // Tens of megabytes filled once: huge pages make first touching it cheap.
        auto *grown = static_cast<char *>(resutil::allocateLarge(capacity));
        if (m_size)
            std::memcpy(grown, m_buffer, m_size);
        if (m_buffer)
            resutil::freeLarge(m_buffer, m_capacity);
        m_buffer = grown;
        m_capacity = capacity;
    }
    return m_buffer + m_size;
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
    m_size = std::size_t(out - m_buffer);
}

void DumpWriter::appendName(const resutil::ResName &name)
{
    if (name.isString) {
        appendString(name.name);
    } else {
        m_size = std::size_t(putNumber(room(24), name.ordinal) - m_buffer);
    }
}

void DumpWriter::appendNumber(qint64 value)
{
    m_size = std::size_t(putNumber(room(24), value) - m_buffer);
}

DumpWriter::~DumpWriter()
{
    if (m_buffer)
        resutil::freeLarge(m_buffer, m_capacity);
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
    m_size = std::size_t(out - m_buffer);
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
    return QByteArrayView(m_buffer, qsizetype(m_size));
}

} // namespace cli
