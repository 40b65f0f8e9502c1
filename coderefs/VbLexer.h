#pragma once

// Visual Basic source cut into statements of tokens: continuation lines joined,
// comments (' and Rem) and preprocessor lines (#If) left out, strings kept as
// one token each, so that nothing inside a string or a comment looks like code.

#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

namespace coderefs {

enum class TokenKind : quint8 { Identifier, Number, String, Symbol };

struct Token {
    TokenKind kind;
    QStringView text;     // an identifier without its type suffix; a number with it; a string with its quotes
    int line;             // from 1, in the member's file
    qsizetype start;      // the token's span in the member's text, type suffix included
    qsizetype end;

    bool is(QLatin1StringView word) const
    {
        return kind == TokenKind::Identifier && text.compare(word, Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(QLatin1StringView symbol) const { return kind == TokenKind::Symbol && text == symbol; }
};

struct CodeStart {
    qsizetype offset = 0; // where the code part begins in the text
    int line = 1;
    bool blockClosed = true; // false: a property block without its End; the file has no code part
};

// The code part of a member file: after the property block of a form, control,
// class or designer (VERSION ... Begin ... End) and the Attribute lines.
CodeStart findCodeStart(QStringView text);

// Calls visit for every statement of text from start on, in order. The tokens
// are valid during the call only.
void forEachStatement(QStringView text, const CodeStart &start,
                      const std::function<void(const std::vector<Token> &statement)> &visit);

// The text of tokens [first, last] as written, each continuation joined into one space.
QString spanText(QStringView text, const Token &first, const Token &last);

} // namespace coderefs
