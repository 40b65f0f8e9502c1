#include "coderefs/VbConstants.h"

#include <QStringList>

#include <functional>
#include <limits>

namespace coderefs {

namespace {

// Constants that refer to constants further than this are taken for a loop.
constexpr int MaxDepth = 256;

constexpr qint64 LongMin = std::numeric_limits<qint32>::min();
constexpr qint64 LongMax = std::numeric_limits<qint32>::max();

bool isVisibility(const Token &token)
{
    return token.is(QLatin1StringView("Public")) || token.is(QLatin1StringView("Private"))
        || token.is(QLatin1StringView("Global")) || token.is(QLatin1StringView("Friend"))
        || token.is(QLatin1StringView("Static"));
}

bool isProcedureKeyword(const Token &token)
{
    return token.is(QLatin1StringView("Sub")) || token.is(QLatin1StringView("Function"))
        || token.is(QLatin1StringView("Property"));
}

// The constants of the runtime that an ID's format argument uses.
const QHash<QString, qint64> &builtIns()
{
    static const QHash<QString, qint64> names{
        {QStringLiteral("vbresbitmap"), 0},
        {QStringLiteral("vbresicon"), 1},
        {QStringLiteral("vbrescursor"), 2},
    };
    return names;
}

// A number literal's value the way Visual Basic types it: &H and &O without a
// suffix are Integers up to four hex digits (&HFFFF is -1), Longs up to eight.
Value numberValue(QStringView text)
{
    if (text.startsWith(u'&')) {
        QStringView digits = text.sliced(1);
        int base = 8;
        if (digits.startsWith(u'H') || digits.startsWith(u'h')) {
            base = 16;
            digits = digits.sliced(1);
        } else if (digits.startsWith(u'O') || digits.startsWith(u'o')) {
            digits = digits.sliced(1);
        }
        bool asLong = false;
        if (digits.endsWith(u'&')) {
            asLong = true;
            digits.chop(1);
        } else if (digits.endsWith(u'%')) {
            digits.chop(1);
        }
        bool ok = false;
        const quint64 raw = digits.toULongLong(&ok, base);
        if (!ok || raw > 0xFFFFFFFFu)
            return Value::failed(QStringLiteral("%1 is too large a number").arg(text));
        if (!asLong && raw <= 0xFFFF)
            return Value::ofNumber(qint16(quint16(raw)));
        return Value::ofNumber(qint32(quint32(raw)));
    }
    QStringView digits = text;
    if (!digits.isEmpty() && QStringView(u"%&!#@").contains(digits.back()))
        digits.chop(1);
    bool ok = false;
    const qint64 whole = digits.toLongLong(&ok);
    if (ok)
        return Value::ofNumber(whole);
    return Value::failed(QStringLiteral("%1 is not a whole number").arg(text));
}

QString stringValue(QStringView quoted)
{
    QStringView body = quoted.sliced(1);
    if (body.endsWith(u'"'))
        body.chop(1);
    return body.toString().replace(QStringLiteral("\"\""), QStringLiteral("\""));
}

QString dotted(const std::vector<QString> &path)
{
    QStringList parts(path.begin(), path.end());
    return parts.join(u'.');
}

Value notDeclared(const std::vector<QString> &path)
{
    return Value::failed(QStringLiteral("%1 is not a constant or Enum member of the project").arg(dotted(path)));
}

QString lower(QStringView text)
{
    return text.toString().toLower();
}

// A recursive descent over one expression's tokens.
class Parser {
public:
    Parser(std::span<const Token> tokens, const std::function<Value(const std::vector<QString> &)> &lookup)
        : m_tokens(tokens), m_lookup(lookup)
    {
    }

    Value parse()
    {
        if (m_tokens.empty())
            return Value::failed(QStringLiteral("there is no ID"));
        Value value = sum();
        if (value.kind != Value::Failed && m_at < m_tokens.size())
            return Value::failed(QStringLiteral("\"%1\" is not understood there").arg(m_tokens[m_at].text));
        return value;
    }

private:
    const Token *peek() const { return m_at < m_tokens.size() ? &m_tokens[m_at] : nullptr; }
    bool accept(QLatin1StringView symbol)
    {
        if (peek() && peek()->isSymbol(symbol)) {
            ++m_at;
            return true;
        }
        return false;
    }

    Value sum()
    {
        Value left = product();
        while (left.kind != Value::Failed) {
            int sign = 0;
            if (accept(QLatin1StringView("+")))
                sign = 1;
            else if (accept(QLatin1StringView("-")))
                sign = -1;
            else
                break;
            Value right = product();
            if (right.kind == Value::Failed)
                return right;
            if (left.kind != Value::Number || right.kind != Value::Number)
                return Value::failed(QStringLiteral("a string is not added to a number"));
            left.number += sign * right.number;
            if (left.number < LongMin || left.number > LongMax)
                return Value::failed(QStringLiteral("the sum is too large"));
        }
        return left;
    }

    Value product()
    {
        Value left = unary();
        while (left.kind != Value::Failed) {
            const bool times = accept(QLatin1StringView("*"));
            if (!times && !accept(QLatin1StringView("\\")))
                break;
            Value right = unary();
            if (right.kind == Value::Failed)
                return right;
            if (left.kind != Value::Number || right.kind != Value::Number)
                return Value::failed(QStringLiteral("a string is not multiplied"));
            if (!times && right.number == 0)
                return Value::failed(QStringLiteral("it divides by zero"));
            left.number = times ? left.number * right.number : left.number / right.number;
            if (left.number < LongMin || left.number > LongMax)
                return Value::failed(QStringLiteral("the product is too large"));
        }
        return left;
    }

    Value unary()
    {
        // "((((" or "- - -" without end would take the stack.
        if (++m_nesting > MaxNesting)
            return Value::failed(QStringLiteral("the expression is nested too deeply"));
        Value value = signedOperand();
        --m_nesting;
        return value;
    }

    Value signedOperand()
    {
        if (accept(QLatin1StringView("+")))
            return unary();
        if (accept(QLatin1StringView("-"))) {
            Value value = unary();
            if (value.kind == Value::Text)
                return Value::failed(QStringLiteral("a string has no sign"));
            value.number = -value.number;
            return value;
        }
        return operand();
    }

    Value operand()
    {
        const Token *token = peek();
        if (!token)
            return Value::failed(QStringLiteral("the expression ends early"));
        ++m_at;
        if (token->isSymbol(QLatin1StringView("("))) {
            Value inner = sum();
            if (inner.kind != Value::Failed && !accept(QLatin1StringView(")")))
                return Value::failed(QStringLiteral("a parenthesis is not closed"));
            return inner;
        }
        if (token->kind == TokenKind::Number)
            return numberValue(token->text);
        if (token->kind == TokenKind::String)
            return Value::ofText(stringValue(token->text));
        if (token->kind != TokenKind::Identifier)
            return Value::failed(QStringLiteral("\"%1\" is not understood there").arg(token->text));
        std::vector<QString> path{token->text.toString()};
        QString shown = token->text.toString();
        while (peek() && peek()->isSymbol(QLatin1StringView(".")) && m_at + 1 < m_tokens.size()
               && m_tokens[m_at + 1].kind == TokenKind::Identifier) {
            path.push_back(m_tokens[m_at + 1].text.toString());
            shown += u'.';
            shown += path.back();
            m_at += 2;
        }
        if (peek() && peek()->isSymbol(QLatin1StringView("(")))
            return Value::failed(QStringLiteral("%1 is a function or an array").arg(shown));
        return m_lookup(path);
    }

    static constexpr int MaxNesting = 200;

    std::span<const Token> m_tokens;
    const std::function<Value(const std::vector<QString> &)> &m_lookup;
    std::size_t m_at = 0;
    int m_nesting = 0;
};

} // namespace

void VbConstants::addMember(const QString &name, bool standardModule)
{
    m_memberByName.insert(name.toLower(), int(m_members.size()));
    m_members.push_back(Member{name.toLower(), name, standardModule});
    m_enum.clear();
}

qsizetype VbConstants::addSymbol(Symbol symbol, std::span<const Token> expression)
{
    // A name declared twice in one place is refused by Visual Basic; the first
    // one stands, and lookups stay short however the code repeats itself.
    const bool local = symbol.scope.procedure >= 0;
    const auto localKey = std::make_pair(symbol.scope.procedure, symbol.name);
    std::vector<qsizetype> &named = m_byName[symbol.name];
    if (local) {
        if (const auto found = m_local.constFind(localKey); found != m_local.constEnd())
            return *found;
    } else {
        for (const qsizetype index : named) {
            const Symbol &other = m_symbols[std::size_t(index)];
            if (other.scope.member == symbol.scope.member && other.enumName == symbol.enumName)
                return index;
        }
    }
    symbol.first = qsizetype(m_tokens.size());
    m_tokens.insert(m_tokens.end(), expression.begin(), expression.end());
    symbol.last = qsizetype(m_tokens.size());
    const qsizetype index = qsizetype(m_symbols.size());
    if (local)
        m_local.insert(localKey, index);
    else
        named.push_back(index);
    m_symbols.push_back(std::move(symbol));
    return index;
}

Scope VbConstants::readStatement(const std::vector<Token> &statement, Scope scope)
{
    const std::size_t n = statement.size();
    if (!m_enum.isEmpty()) {
        if (n >= 2 && statement[0].is(QLatin1StringView("End")) && statement[1].is(QLatin1StringView("Enum"))) {
            m_enum.clear();
            return scope;
        }
        if (statement[0].kind != TokenKind::Identifier)
            return scope;
        Symbol member;
        member.name = lower(statement[0].text);
        member.shown = statement[0].text.toString();
        member.enumName = m_enum;
        member.scope = scope;
        member.visibleEverywhere = m_enumPublic;
        std::span<const Token> expression;
        if (n >= 2 && statement[1].isSymbol(QLatin1StringView("=")))
            expression = std::span<const Token>(statement).subspan(2);
        else
            member.previous = m_enumLast;
        m_enumLast = addSymbol(std::move(member), expression);
        return scope;
    }

    // A line number or a label first: "10 Const ...", "Start: Const ..." (the label ends at its colon).
    std::size_t at = statement[0].kind == TokenKind::Number ? 1 : 0;
    bool isPrivate = false;
    bool isPublic = false;
    while (at < n && isVisibility(statement[at])) {
        isPrivate = isPrivate || statement[at].is(QLatin1StringView("Private"));
        isPublic = isPublic || statement[at].is(QLatin1StringView("Public")) || statement[at].is(QLatin1StringView("Global"));
        ++at;
    }
    if (at >= n)
        return scope;
    const Token &keyword = statement[at];
    if (keyword.is(QLatin1StringView("End")) && at + 1 < n && isProcedureKeyword(statement[at + 1])) {
        scope.procedure = -1;
        return scope;
    }
    if (isProcedureKeyword(keyword) && scope.procedure < 0) {
        // "Property Get Name": a procedure; "Sub Name": the same.
        scope.procedure = m_procedures++;
        return scope;
    }
    if (keyword.is(QLatin1StringView("Enum")) && at + 1 < n && scope.procedure < 0) {
        m_enum = lower(statement[at + 1].text);
        m_enumPublic = !isPrivate;
        m_enumLast = -1;
        return scope;
    }
    if (!keyword.is(QLatin1StringView("Const")))
        return scope;
    // Const A [As Long] = expr[, B = expr]...
    ++at;
    while (at < n && statement[at].kind == TokenKind::Identifier) {
        Symbol constant;
        constant.name = lower(statement[at].text);
        constant.shown = statement[at].text.toString();
        constant.scope = scope;
        constant.visibleEverywhere = isPublic && scope.procedure < 0 && m_members[scope.member].standardModule;
        while (at < n && !statement[at].isSymbol(QLatin1StringView("=")))
            ++at;
        const std::size_t first = ++at;
        int depth = 0;
        while (at < n && !(depth == 0 && statement[at].isSymbol(QLatin1StringView(",")))) {
            if (statement[at].isSymbol(QLatin1StringView("(")))
                ++depth;
            else if (statement[at].isSymbol(QLatin1StringView(")")))
                --depth;
            ++at;
        }
        addSymbol(std::move(constant), std::span<const Token>(statement).subspan(std::min(first, n), std::min(at, n) - std::min(first, n)));
        ++at; // the comma
    }
    return scope;
}

Value VbConstants::evaluate(std::span<const Token> expression, Scope scope)
{
    return evaluate(expression, scope, 0);
}

Value VbConstants::evaluate(std::span<const Token> expression, Scope scope, int depth)
{
    const std::function<Value(const std::vector<QString> &)> lookupName = [&](const std::vector<QString> &path) {
        return lookup(path, scope, depth);
    };
    return Parser(expression, lookupName).parse();
}

Value VbConstants::valueOf(qsizetype index, int depth)
{
    Symbol &symbol = m_symbols[std::size_t(index)];
    if (symbol.state == Symbol::Read)
        return symbol.value;
    if (symbol.state == Symbol::Reading)
        return Value::failed(QStringLiteral("%1 is defined by itself").arg(symbol.shown));
    if (depth > MaxDepth)
        return Value::failed(QStringLiteral("%1 is defined through too many other constants").arg(symbol.shown));
    symbol.state = Symbol::Reading;
    Value value;
    if (symbol.first < symbol.last) {
        value = evaluate(std::span<const Token>(m_tokens).subspan(std::size_t(symbol.first), std::size_t(symbol.last - symbol.first)),
                         symbol.scope, depth + 1);
    } else if (!symbol.enumName.isEmpty()) {
        value = Value::ofNumber(0);
        if (symbol.previous >= 0) {
            value = valueOf(symbol.previous, depth + 1);
            if (value.kind == Value::Number)
                ++value.number;
        }
    } else {
        value = Value::failed(QStringLiteral("%1 has no value").arg(symbol.shown));
    }
    Symbol &done = m_symbols[std::size_t(index)];
    done.value = value;
    done.state = Symbol::Read;
    return value;
}

Value VbConstants::pick(const std::vector<qsizetype> &candidates, const std::vector<QString> &path, int depth)
{
    if (candidates.empty())
        return notDeclared(path);
    if (candidates.size() == 1)
        return valueOf(candidates.front(), depth + 1);
    // Declared in several members: Visual Basic refuses the name unless all agree.
    Value first = valueOf(candidates.front(), depth + 1);
    QStringList where;
    bool same = first.kind != Value::Failed;
    for (const qsizetype candidate : candidates) {
        const Value other = valueOf(candidate, depth + 1);
        same = same && other.kind == first.kind && other.number == first.number && other.text == first.text;
        const QString member = m_members[std::size_t(m_symbols[std::size_t(candidate)].scope.member)].shown;
        if (!where.contains(member))
            where.append(member);
    }
    if (same)
        return first;
    return Value::failed(QStringLiteral("%1 is declared in more than one place (%2)").arg(dotted(path), where.join(QStringLiteral(", "))));
}

Value VbConstants::lookup(const std::vector<QString> &path, Scope scope, int depth)
{
    const QString name = path.back().toLower();
    const auto it = m_byName.constFind(name);
    const std::vector<qsizetype> none;
    const std::vector<qsizetype> &all = it == m_byName.constEnd() ? none : *it;

    // Member.Name, Enum.Member, Member.Enum.Member.
    int member = -1;
    QString enumName;
    if (path.size() >= 2) {
        const QString qualifier = path[0].toLower();
        if (path.size() == 3) {
            member = m_memberByName.value(qualifier, -2);
            enumName = path[1].toLower();
        } else if (const auto found = m_memberByName.constFind(qualifier); found != m_memberByName.constEnd()) {
            member = *found;
        } else {
            enumName = qualifier;
        }
        if (member == -2 || path.size() > 3)
            return notDeclared(path);
    }
    const auto fits = [&](const Symbol &symbol) {
        if (member >= 0 && symbol.scope.member != member)
            return false;
        if (!enumName.isEmpty() && symbol.enumName != enumName)
            return false;
        return true;
    };

    // The procedure's own constants, the member's, then those every member sees.
    if (path.size() == 1 && scope.procedure >= 0) {
        if (const auto local = m_local.constFind(std::make_pair(scope.procedure, name)); local != m_local.constEnd())
            return valueOf(*local, depth + 1);
    }
    std::vector<qsizetype> own;
    std::vector<qsizetype> everywhere;
    for (const qsizetype index : all) {
        const Symbol &symbol = m_symbols[std::size_t(index)];
        if (!fits(symbol))
            continue;
        if (symbol.scope.member == scope.member)
            own.push_back(index);
        else if (symbol.visibleEverywhere)
            everywhere.push_back(index);
    }
    if (!own.empty())
        return pick(own, path, depth);
    if (!everywhere.empty())
        return pick(everywhere, path, depth);
    if (path.size() == 1 || (path.size() == 2 && path[0].compare(QLatin1StringView("VBRUN"), Qt::CaseInsensitive) == 0)) {
        if (const auto builtIn = builtIns().constFind(name); builtIn != builtIns().constEnd())
            return Value::ofNumber(*builtIn);
    }
    return notDeclared(path);
}

} // namespace coderefs
