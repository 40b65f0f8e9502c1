#include "coderefs/CodeReferences.h"

#include "coderefs/VbConstants.h"
#include "coderefs/VbLexer.h"

#include <algorithm>

namespace coderefs {

namespace {

// Resource types as the .res file numbers them.
constexpr qint32 RtCursorGroup = 12;
constexpr qint32 RtBitmap = 2;
constexpr qint32 RtIconGroup = 14;

bool callOf(const Token &token, ResCall &call)
{
    if (token.kind != TokenKind::Identifier || token.text.size() < 11 || (token.text[0] != u'L' && token.text[0] != u'l'))
        return false;
    if (token.is(QLatin1StringView("LoadResString")))
        call = ResCall::String;
    else if (token.is(QLatin1StringView("LoadResData")))
        call = ResCall::Data;
    else if (token.is(QLatin1StringView("LoadResPicture")))
        call = ResCall::Picture;
    else
        return false;
    return true;
}

// Whether the name at i is the runtime's: LoadResString or VB.LoadResString,
// not a method of some object, nor the name of a routine being declared.
bool isRuntimeCall(const std::vector<Token> &statement, std::size_t i)
{
    if (i > 0 && statement[i - 1].isSymbol(QLatin1StringView(".")))
        return i >= 2 && statement[i - 2].is(QLatin1StringView("VB")) && !(i >= 3 && statement[i - 3].isSymbol(QLatin1StringView(".")));
    if (i > 0) {
        const Token &before = statement[i - 1];
        if (before.is(QLatin1StringView("Sub")) || before.is(QLatin1StringView("Function")) || before.is(QLatin1StringView("Get"))
            || before.is(QLatin1StringView("Let")) || before.is(QLatin1StringView("Set")) || before.is(QLatin1StringView("Declare")))
            return false;
    }
    // LoadResString = ...: the return value of a function of that name.
    return !(i + 1 < statement.size() && statement[i + 1].isSymbol(QLatin1StringView("=")));
}

struct Range {
    std::size_t first = 0;
    std::size_t last = 0; // one past
    bool empty() const { return first == last; }
};

struct Call {
    ResCall call;
    Scope scope;
    int line;
    std::vector<Token> tokens;
    Range id;     // in tokens
    Range format;
    bool hasId = false;
};

// The call's arguments: LoadResPicture(IDB_LOGO, vbResBitmap), LoadResData(index:=1, format:="X"),
// or without parentheses as a statement.
Call readCall(const std::vector<Token> &statement, std::size_t at, ResCall kind, Scope scope)
{
    Call call{kind, scope, statement[at].line, {}, {}, {}, false};
    std::size_t first = at + 1;
    std::size_t last = statement.size();
    if (first < last && statement[first].isSymbol(QLatin1StringView("("))) {
        int depth = 0;
        std::size_t close = first;
        for (; close < last; ++close) {
            if (statement[close].isSymbol(QLatin1StringView("(")))
                ++depth;
            else if (statement[close].isSymbol(QLatin1StringView(")")) && --depth == 0)
                break;
        }
        last = close;
        ++first;
    } else if (first < last && statement[first].kind == TokenKind::Symbol && !statement[first].isSymbol(QLatin1StringView("-"))) {
        return call; // "x = LoadResString & y": no argument at all
    }
    call.tokens.assign(statement.begin() + qsizetype(first), statement.begin() + qsizetype(last));

    std::vector<Range> arguments;
    Range current{0, 0};
    int depth = 0;
    for (std::size_t i = 0; i <= call.tokens.size(); ++i) {
        const bool end = i == call.tokens.size();
        if (!end && call.tokens[i].isSymbol(QLatin1StringView("(")))
            ++depth;
        else if (!end && call.tokens[i].isSymbol(QLatin1StringView(")")))
            --depth;
        if (end || (depth == 0 && call.tokens[i].isSymbol(QLatin1StringView(",")))) {
            current.last = i;
            arguments.push_back(current);
            current = Range{i + 1, i + 1};
        }
    }
    int position = 0;
    for (Range argument : arguments) {
        int slot = position++;
        if (argument.last - argument.first >= 2 && call.tokens[argument.first].kind == TokenKind::Identifier
            && call.tokens[argument.first + 1].isSymbol(QLatin1StringView(":="))) {
            const Token &name = call.tokens[argument.first];
            slot = name.is(QLatin1StringView("index")) || name.is(QLatin1StringView("id")) ? 0
                 : name.is(QLatin1StringView("format")) ? 1
                                                         : -1;
            argument.first += 2;
        }
        if (slot == 0 && !argument.empty()) {
            call.id = argument;
            call.hasId = true;
        } else if (slot == 1) {
            call.format = argument;
        }
    }
    return call;
}

bool digitsOnly(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// "#101" names the ordinal 101, as FindResource takes it.
bool ordinalName(const QString &text, qint32 &ordinal)
{
    if (text.size() < 2 || text[0] != u'#' || !digitsOnly(text.mid(1)))
        return false;
    bool ok = false;
    const int value = text.mid(1).toInt(&ok);
    if (!ok || value > 0xFFFF)
        return false;
    ordinal = value;
    return true;
}

void resolveFormat(const Call &call, VbConstants &constants, ResourceUse &use)
{
    if (call.call == ResCall::String || call.format.empty())
        return;
    const Value format = constants.evaluate(
        std::span<const Token>(call.tokens).subspan(call.format.first, call.format.last - call.format.first), call.scope);
    if (call.call == ResCall::Picture) {
        if (format.kind == Value::Number && format.number >= 0 && format.number <= 2)
            use.typeOrdinal = format.number == 0 ? RtBitmap : format.number == 1 ? RtIconGroup : RtCursorGroup;
        return;
    }
    if (format.kind == Value::Number && format.number >= 1 && format.number <= 0xFFFF)
        use.typeOrdinal = qint32(format.number);
    else if (format.kind == Value::Text && !ordinalName(format.text, use.typeOrdinal) && !format.text.isEmpty())
        use.typeName = format.text.toUpper();
}

} // namespace

const char *callName(ResCall call)
{
    switch (call) {
    case ResCall::String: return "LoadResString";
    case ResCall::Data: return "LoadResData";
    case ResCall::Picture: return "LoadResPicture";
    }
    return "";
}

QList<qint32> CodeReferences::usedStringIds() const
{
    QList<qint32> ids = m_stringUses.keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

void CodeReferences::index()
{
    m_stringUses.clear();
    for (qsizetype i = 0; i < uses.size(); ++i) {
        if (uses[i].call == ResCall::String)
            m_stringUses[uses[i].id].append(i);
    }
}

CodeReferences findReferences(const QList<MemberCode> &members)
{
    CodeReferences references;
    VbConstants constants;
    std::vector<std::vector<Call>> calls(std::size_t(members.size()));

    // Every declaration first: a form may use the constants of a module listed after it.
    for (int m = 0; m < members.size(); ++m) {
        const MemberCode &code = members[m];
        CodeMember member = code.member;
        constants.addMember(member.name, member.type == vbide::vbext_ct_StdModule);
        const CodeStart start = findCodeStart(code.text);
        member.codeStartLine = start.line;
        if (!start.blockClosed)
            references.warnings.append(QStringLiteral("%1: the property block has no End; its code was not read.")
                                           .arg(member.writtenPath.isEmpty() ? member.name : member.writtenPath));
        references.members.append(member);
        Scope scope{m, -1};
        forEachStatement(code.text, start, [&](const std::vector<Token> &statement) {
            scope = constants.readStatement(statement, scope);
            ResCall kind;
            for (std::size_t i = 0; i < statement.size(); ++i) {
                if (callOf(statement[i], kind) && isRuntimeCall(statement, i))
                    calls[std::size_t(m)].push_back(readCall(statement, i, kind, scope));
            }
        });
    }

    for (int m = 0; m < members.size(); ++m) {
        const QString &text = members[m].text;
        for (const Call &call : calls[std::size_t(m)]) {
            if (!call.hasId) {
                const QString shown = call.tokens.empty() ? QString() : spanText(text, call.tokens.front(), call.tokens.back());
                references.unresolved.append({call.call, m, call.line, shown, QStringLiteral("the call has no ID")});
                continue;
            }
            const std::span<const Token> idTokens = std::span<const Token>(call.tokens).subspan(call.id.first, call.id.last - call.id.first);
            const QString expression = spanText(text, idTokens.front(), idTokens.back());
            const auto unresolved = [&](const QString &reason) {
                references.unresolved.append({call.call, m, call.line, expression, reason});
            };
            Value id = constants.evaluate(idTokens, call.scope);
            ResourceUse use;
            use.call = call.call;
            use.member = m;
            use.line = call.line;
            use.expression = expression;
            if (id.kind == Value::Text) {
                qint32 ordinal = 0;
                if (ordinalName(id.text, ordinal)) {
                    id = Value::ofNumber(ordinal);
                } else if (call.call == ResCall::String && digitsOnly(id.text) && id.text.size() <= 5) {
                    id = Value::ofNumber(id.text.toInt()); // Visual Basic converts "101" to 101
                } else if (call.call == ResCall::String) {
                    unresolved(QStringLiteral("LoadResString takes a number, not \"%1\"").arg(id.text));
                    continue;
                } else if (id.text.isEmpty()) {
                    unresolved(QStringLiteral("the name is empty"));
                    continue;
                } else {
                    use.name = id.text.toUpper();
                }
            }
            if (id.kind == Value::Failed) {
                unresolved(id.text);
                continue;
            }
            if (id.kind == Value::Number) {
                if (id.number < 0 || id.number > 0xFFFF) {
                    unresolved(QStringLiteral("the ID %1 is outside 0 to 65535").arg(id.number));
                    continue;
                }
                use.id = qint32(id.number);
            }
            resolveFormat(call, constants, use);
            references.uses.append(std::move(use));
        }
    }
    references.index();
    return references;
}

} // namespace coderefs
