#pragma once

// The constants and Enum members a project declares, and the value of an
// expression over them: numbers (decimal, &H hex, &O octal, type suffixes),
// strings, names, Module.Name and Enum.Member, + - * \ and parentheses.

#include "coderefs/VbLexer.h"

#include <QHash>
#include <QString>

#include <span>
#include <utility>
#include <vector>

namespace coderefs {

// Where a name is looked up: the member and the procedure (-1 outside any).
struct Scope {
    int member = 0;
    int procedure = -1;
};

struct Value {
    enum Kind : quint8 { Failed, Number, Text } kind = Failed;
    qint64 number = 0;
    QString text;   // Text: the string; Failed: why, "GetId is a function or an array"

    static Value failed(QString why) { return Value{Failed, 0, std::move(why)}; }
    static Value ofNumber(qint64 n) { return Value{Number, n, {}}; }
    static Value ofText(QString t) { return Value{Text, 0, std::move(t)}; }
};

class VbConstants {
public:
    // A member's name for Module.Name, and whether it is a standard module
    // (whose public constants every member sees).
    void addMember(const QString &name, bool standardModule);

    // Reads one statement at scope for Const, Enum and Sub/Function/Property
    // lines; returns the scope the next statement is in.
    Scope readStatement(const std::vector<Token> &statement, Scope scope);

    Value evaluate(std::span<const Token> expression, Scope scope);

private:
    struct Symbol {
        QString name;     // lower case, without its type suffix
        QString shown;    // as declared
        QString enumName; // lower case; empty for a constant
        Scope scope;
        bool visibleEverywhere = false;
        qsizetype first = 0; // its expression in m_tokens; first == last: none
        qsizetype last = 0;
        qsizetype previous = -1; // an Enum member without a value: the one before it
        enum State : quint8 { Unread, Reading, Read } state = Unread;
        Value value;
    };
    struct Member {
        QString name; // lower case
        QString shown;
        bool standardModule = false;
    };

    // The symbol's index; the earlier one's for a name already declared in its place.
    qsizetype addSymbol(Symbol symbol, std::span<const Token> expression);
    Value valueOf(qsizetype symbol, int depth);
    Value evaluate(std::span<const Token> expression, Scope scope, int depth);
    // Resolves the name of `path` (Name, Member.Name, Enum.Member, Member.Enum.Member).
    Value lookup(const std::vector<QString> &path, Scope scope, int depth);
    Value pick(const std::vector<qsizetype> &candidates, const std::vector<QString> &path, int depth);

    std::vector<Member> m_members;
    std::vector<Symbol> m_symbols;
    std::vector<Token> m_tokens; // the expressions of the symbols
    QHash<QString, std::vector<qsizetype>> m_byName;            // outside procedures
    QHash<std::pair<int, QString>, qsizetype> m_local;         // (procedure, name)
    QHash<QString, int> m_memberByName;
    // Reading an Enum: its name, visibility, and the member declared last.
    QString m_enum;
    bool m_enumPublic = false;
    qsizetype m_enumLast = -1;
    int m_procedures = 0;
};

} // namespace coderefs
