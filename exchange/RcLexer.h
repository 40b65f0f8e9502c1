#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace exchange::rc {

// One token of a resource script. Strings keep their raw body (between the
// quotes, escapes unresolved); preprocessor lines come whole.
struct Token {
    enum class Kind { End, Word, Number, String, WideString, Punct, Directive, Error };
    Kind kind = Kind::End;
    QByteArray text;
    int line = 0;
    bool lineStart = false; // first token on its line
    qsizetype offset = 0;   // where it starts in the source
    qsizetype end = 0;      // just after it
};

class Lexer {
public:
    explicit Lexer(QByteArrayView source) : m_source(source) {}
    Token next();
    int line() const { return m_line; }

private:
    Token scan();
    qsizetype plainStringEnd(qsizetype from) const;
    QByteArrayView m_source;
    qsizetype m_pos = 0;
    int m_line = 1;
    bool m_lineStart = true;
};

// Resolves the escapes of a string body. Narrow strings give bytes in the
// script's code page (passed to decodeNarrow); wide strings give UTF-16
// units, their plain characters decoded from UTF-8 or the code page.
// Empty error on success.
// Appends the text of a string token's body to out, its escapes resolved:
// in a wide string \x takes up to four digits and gives UTF-16 units.
void appendString(QString &out, const QByteArray &body, int codePage, bool wide, QString *error);

} // namespace exchange::rc
