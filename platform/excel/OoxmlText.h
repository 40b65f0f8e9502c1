#pragma once

#include <QByteArray>
#include <QString>

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
    // Makes room for `size` more bytes at cursor().
    char *room(size_t size)
    {
        if (size_t(m_end - m_at) < size)
            grow(size);
        return m_at;
    }
    char *&cursor() { return m_at; }
    QByteArray take();

private:
    void grow(size_t size);
    QByteArray m_bytes;
    char *m_at, *m_end;
};

// Texts in .xlsx parts: XML escaping, and the format's own escape _xHHHH_
// for characters XML cannot carry (control characters, lone surrogates, and
// carriage returns, which XML parsers would turn into line feeds). A literal
// text that looks like such an escape gets its underscore escaped as _x005F_.
void appendEscapedText(ByteSink &out, const QString &text);
void appendEscapedText(QByteArray &out, const QString &text);
void appendEscapedAttribute(QByteArray &out, const QString &text);
QString decodeEscapes(const QString &text);
// The text of an element's UTF-8 content, escapes decoded.
QString textFromXml(const char *utf8, size_t size);

} // namespace excel::backend
