#include "exchange/RcFormat.h"

#include "exchange/RcLexer.h"
#include "platform/common/InputFile.h"
#include "platform/excel/io/TextArena.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <map>
#include <optional>
#include <vector>

namespace exchange {

namespace {

using rc::Token;

// Headers and scripts larger than this are not read: as much as an import
// loads, so that a script written from any table reads back.
constexpr qint64 kMaxScriptBytes = qint64(512) << 20;
constexpr int kMaxIncludeDepth = 8;

// The language and sublanguage names of winnt.h that scripts use most.
const QHash<QByteArray, int> &languageNames()
{
    static const QHash<QByteArray, int> names = {
        {"LANG_NEUTRAL", 0x00}, {"LANG_INVARIANT", 0x7f}, {"LANG_ARABIC", 0x01}, {"LANG_BULGARIAN", 0x02},
        {"LANG_CATALAN", 0x03}, {"LANG_CHINESE", 0x04}, {"LANG_CZECH", 0x05}, {"LANG_DANISH", 0x06},
        {"LANG_GERMAN", 0x07}, {"LANG_GREEK", 0x08}, {"LANG_ENGLISH", 0x09}, {"LANG_SPANISH", 0x0a},
        {"LANG_FINNISH", 0x0b}, {"LANG_FRENCH", 0x0c}, {"LANG_HEBREW", 0x0d}, {"LANG_HUNGARIAN", 0x0e},
        {"LANG_ICELANDIC", 0x0f}, {"LANG_ITALIAN", 0x10}, {"LANG_JAPANESE", 0x11}, {"LANG_KOREAN", 0x12},
        {"LANG_DUTCH", 0x13}, {"LANG_NORWEGIAN", 0x14}, {"LANG_POLISH", 0x15}, {"LANG_PORTUGUESE", 0x16},
        {"LANG_ROMANIAN", 0x18}, {"LANG_RUSSIAN", 0x19}, {"LANG_CROATIAN", 0x1a}, {"LANG_SLOVAK", 0x1b},
        {"LANG_SWEDISH", 0x1d}, {"LANG_THAI", 0x1e}, {"LANG_TURKISH", 0x1f}, {"LANG_UKRAINIAN", 0x22},
        {"LANG_VIETNAMESE", 0x2a}, {"LANG_HINDI", 0x39},
        {"SUBLANG_NEUTRAL", 0x00}, {"SUBLANG_DEFAULT", 0x01}, {"SUBLANG_SYS_DEFAULT", 0x02},
        {"SUBLANG_ENGLISH_US", 0x01}, {"SUBLANG_ENGLISH_UK", 0x02}, {"SUBLANG_GERMAN", 0x01},
        {"SUBLANG_GERMAN_SWISS", 0x02}, {"SUBLANG_GERMAN_AUSTRIAN", 0x03}, {"SUBLANG_FRENCH", 0x01},
        {"SUBLANG_FRENCH_CANADIAN", 0x03}, {"SUBLANG_SPANISH", 0x01}, {"SUBLANG_SPANISH_MODERN", 0x03},
        {"SUBLANG_ITALIAN", 0x01}, {"SUBLANG_DUTCH", 0x01}, {"SUBLANG_PORTUGUESE", 0x02},
        {"SUBLANG_PORTUGUESE_BRAZILIAN", 0x01}, {"SUBLANG_CHINESE_TRADITIONAL", 0x01},
        {"SUBLANG_CHINESE_SIMPLIFIED", 0x02}, {"SUBLANG_JAPANESE_JAPAN", 0x01}, {"SUBLANG_KOREAN", 0x01},
        {"SUBLANG_ARABIC_SAUDI_ARABIA", 0x01}, {"SUBLANG_HEBREW_ISRAEL", 0x01}, {"SUBLANG_THAI_THAILAND", 0x01},
        {"SUBLANG_RUSSIAN_RUSSIA", 0x01}, {"SUBLANG_HINDI_INDIA", 0x01},
    };
    return names;
}

const QSet<QByteArray> &blockTypes()
{
    static const QSet<QByteArray> types = {"DIALOG", "DIALOGEX", "MENU", "MENUEX", "ACCELERATORS", "VERSIONINFO",
                                           "TOOLBAR", "DLGINIT", "TEXTINCLUDE", "DESIGNINFO"};
    return types;
}

const QSet<QByteArray> &memoryFlags()
{
    static const QSet<QByteArray> flags = {"DISCARDABLE", "MOVEABLE", "FIXED", "PURE", "IMPURE", "PRELOAD",
                                           "LOADONCALL", "SHARED", "NONSHARED"};
    return flags;
}

class Reader {
public:
    // Scanning only finds where the string tables stand: their texts and IDs are not read.
    Reader(const QString &path, const QStringList &includes, bool scanOnly = false)
        : m_path(path), m_includes(includes), m_scanOnly(scanOnly)
    {
    }

    qm::Status run(const QByteArray &bytes)
    {
        for (const QString &include : m_includes) {
            if (QFileInfo(include).isFile()) {
                if (auto read = readHeader(include, 0); !read)
                    return read;
            } else if (!QFileInfo(include).isDir()) {
                return qm::makeError(QStringLiteral("the header or folder %1 given with --include does not exist").arg(include));
            }
        }
        QByteArrayView source(bytes);
        if (source.startsWith("\xEF\xBB\xBF")) {
            source = source.sliced(3);
            m_offsetBase = 3;
        }
        else if (source.startsWith("\xFF\xFE") || source.startsWith("\xFE\xFF"))
            return qm::makeError(QStringLiteral("the script is UTF-16; save it as UTF-8 with #pragma code_page(65001)"));
        rc::Lexer lexer(source);
        m_lexer = &lexer;
        advance();
        while (m_token.kind != Token::Kind::End) {
            if (auto step = statement(); !step)
                return step;
        }
        if (m_pendingError)
            return *m_pendingError;
        return {};
    }

    RcImport result;
    std::vector<RcTableBlock> blocks;

private:
    qm::Error failAt(int line, const QString &what) const
    {
        return qm::makeError(QStringLiteral("%1: line %2: %3").arg(m_path, QString::number(line), what));
    }

    void advance()
    {
        m_token = m_lexer->next();
        while (m_token.kind == Token::Kind::Directive) {
            ++m_directives;
            m_lastDirectiveLine = m_token.line;
            directive(m_token, QFileInfo(m_path).absolutePath(), true);
            m_token = m_lexer->next();
        }
    }

    bool isWord(const char *word) const { return m_token.kind == Token::Kind::Word && m_token.text.toUpper() == word; }
    bool isPunct(char c) const { return m_token.kind == Token::Kind::Punct && m_token.text.size() == 1 && m_token.text[0] == c; }
    bool isBegin() const { return isWord("BEGIN") || isPunct('{'); }
    bool isEnd() const { return isWord("END") || isPunct('}'); }
    QString tokenText() const { return QString::fromUtf8(m_token.text.left(40)); }

    // Preprocessor lines: code pages, #define, #include; others are noted.
    void directive(const Token &token, const QString &folder, bool inScript)
    {
        QByteArray text = token.text.mid(1).trimmed();
        const qsizetype space = text.indexOf(' ') < 0 ? text.size() : text.indexOf(' ');
        const QByteArray name = text.left(space);
        const QByteArray rest = text.mid(space).trimmed();
        if (name == "pragma" && inScript) {
            QByteArray pragma = rest;
            pragma.replace(" ", "");
            if (pragma.startsWith("code_page(") && pragma.endsWith(")")) {
                bool ok = false;
                const int page = pragma.mid(10, pragma.size() - 11).toInt(&ok);
                if (!ok)
                    m_pendingError = failAt(token.line, QStringLiteral("#pragma code_page needs a number"));
                else if (page == 65000)
                    // A UTF-7 string cannot be decoded piece by piece, nor written back as it was read.
                    m_pendingError = failAt(token.line, QStringLiteral("the code page 65000 (UTF-7) is none a resource "
                                                                       "script can be written in; save it as UTF-8 with "
                                                                       "#pragma code_page(65001)"));
                else
                    m_codePage = page;
            }
            return;
        }
        if (name == "define") {
            const qsizetype end = rest.indexOf(' ') < 0 ? rest.size() : rest.indexOf(' ');
            const QByteArray symbol = rest.left(end);
            if (symbol.contains('('))
                return; // a macro with arguments
            QByteArray value = rest.mid(end).trimmed();
            if (const qsizetype comment = value.indexOf("//"); comment >= 0)
                value = value.left(comment).trimmed();
            if (auto number = evaluateText(value))
                m_defines.insert(symbol, *number);
            return;
        }
        if (name == "include") {
            QByteArray file = rest;
            if (file.startsWith('"') && file.endsWith('"') && file.size() >= 2) {
                file = file.mid(1, file.size() - 2);
                QStringList folders{folder};
                for (const QString &include : m_includes)
                    if (QFileInfo(include).isDir())
                        folders << include;
                for (const QString &dir : folders) {
                    const QString candidate = QDir(dir).filePath(QString::fromUtf8(file));
                    if (QFileInfo(candidate).isFile()) {
                        if (auto read = readHeader(candidate, m_depth + 1); !read)
                            m_pendingError = read.error();
                        return;
                    }
                }
            }
            if (inScript)
                result.notes << QStringLiteral("line %1: #include %2 was not found and not read")
                                    .arg(token.line).arg(QString::fromUtf8(rest));
            return;
        }
        if (inScript && (name == "if" || name == "ifdef" || name == "ifndef"))
            ++m_conditionDepth;
        else if (inScript && name == "endif" && m_conditionDepth > 0)
            --m_conditionDepth;
        if (inScript && (name == "if" || name == "ifdef" || name == "ifndef" || name == "elif"))
            result.notes << QStringLiteral("line %1: the condition #%2 %3 was not evaluated: everything is read")
                                .arg(token.line).arg(QString::fromUtf8(name), QString::fromUtf8(rest));
    }

    qm::Status readHeader(const QString &file, int depth)
    {
        if (depth > kMaxIncludeDepth)
            return qm::makeError(QStringLiteral("%1: headers include each other more than %2 deep").arg(file, QString::number(kMaxIncludeDepth)));
        QFile header;
        auto opened = qm::openInputFile(header, file, kMaxScriptBytes, QStringLiteral("headers"));
        if (!opened)
            return qm::makeError(QStringLiteral("%1: cannot be read: %2").arg(file, opened.errorString()));
        auto read = qm::readInputFile(header, opened.value(), kMaxScriptBytes);
        if (!read)
            return qm::makeError(QStringLiteral("%1: cannot be read: %2").arg(file, read.errorString()));
        const QByteArray bytes = std::move(read).value();
        const int saved = m_depth;
        m_depth = depth;
        rc::Lexer lexer(bytes);
        for (Token token = lexer.next(); token.kind != Token::Kind::End; token = lexer.next()) {
            if (token.kind == Token::Kind::Error)
                break;
            if (token.kind == Token::Kind::Directive)
                directive(token, QFileInfo(file).absolutePath(), false);
        }
        m_depth = saved;
        return {};
    }

    // A #define's value: the same expressions as IDs take.
    std::optional<qint64> evaluateText(const QByteArray &text)
    {
        rc::Lexer lexer(text);
        std::vector<Token> tokens;
        for (Token t = lexer.next(); t.kind != Token::Kind::End; t = lexer.next())
            tokens.push_back(t);
        size_t at = 0;
        QString error;
        auto value = expression(tokens, at, &error);
        if (!value || at != tokens.size())
            return std::nullopt;
        return value;
    }

    std::optional<qint64> number(const QByteArray &text) const
    {
        QByteArray digits = text;
        while (digits.endsWith('L') || digits.endsWith('l') || digits.endsWith('U') || digits.endsWith('u'))
            digits.chop(1);
        bool ok = false;
        const qint64 value = digits.startsWith("0x") || digits.startsWith("0X") ? digits.mid(2).toLongLong(&ok, 16)
                                                                                 : digits.toLongLong(&ok, 10);
        if (!ok)
            return std::nullopt;
        return value;
    }

    std::optional<qint64> operand(const std::vector<Token> &tokens, size_t &at, QString *error)
    {
        if (at >= tokens.size()) {
            *error = QStringLiteral("a number was expected");
            return std::nullopt;
        }
        const Token &t = tokens[at++];
        if (t.kind == Token::Kind::Number) {
            auto value = number(t.text);
            if (!value)
                *error = QStringLiteral("\"%1\" is not a number").arg(QString::fromUtf8(t.text));
            return value;
        }
        if (t.kind == Token::Kind::Word) {
            if (auto found = m_defines.find(t.text); found != m_defines.end())
                return *found;
            if (auto found = languageNames().find(t.text); found != languageNames().end())
                return *found;
            *error = QStringLiteral("the name %1 is not defined (give the header that defines it with --include)")
                         .arg(QString::fromUtf8(t.text));
            return std::nullopt;
        }
        if (t.kind == Token::Kind::Punct && (t.text == "-" || t.text == "~" || t.text == "+")) {
            auto value = operand(tokens, at, error);
            if (!value)
                return value;
            return t.text == "-" ? -*value : t.text == "~" ? ~*value : *value;
        }
        if (t.kind == Token::Kind::Punct && t.text == "(") {
            auto value = expression(tokens, at, error);
            if (!value)
                return value;
            if (at >= tokens.size() || tokens[at].text != ")") {
                *error = QStringLiteral("a closing parenthesis is missing");
                return std::nullopt;
            }
            ++at;
            return value;
        }
        *error = QStringLiteral("\"%1\" stands where a number was expected").arg(QString::fromUtf8(t.text.left(40)));
        return std::nullopt;
    }

    // Left to right, as the resource compilers evaluate: + - | & only.
    std::optional<qint64> expression(const std::vector<Token> &tokens, size_t &at, QString *error)
    {
        auto value = operand(tokens, at, error);
        while (value && at < tokens.size() && tokens[at].kind == Token::Kind::Punct
               && (tokens[at].text == "+" || tokens[at].text == "-" || tokens[at].text == "|" || tokens[at].text == "&")) {
            const QByteArray op = tokens[at++].text;
            auto right = operand(tokens, at, error);
            if (!right)
                return right;
            value = op == "+" ? *value + *right : op == "-" ? *value - *right : op == "|" ? (*value | *right) : (*value & *right);
        }
        return value;
    }

    // Tokens of an expression from the script, up to a comma, string or block word.
    std::optional<qint64> scriptExpression(QString *error)
    {
        std::vector<Token> tokens;
        while (m_token.kind == Token::Kind::Number || m_token.kind == Token::Kind::Word
               || (m_token.kind == Token::Kind::Punct && QByteArray("+-|&~()").contains(m_token.text))) {
            if (m_token.kind == Token::Kind::Word && (isBegin() || isEnd()))
                break;
            if (!tokens.empty() && m_token.kind != Token::Kind::Punct && tokens.back().kind != Token::Kind::Punct)
                break; // two operands in a row: the next item starts
            tokens.push_back(m_token);
            advance();
        }
        size_t at = 0;
        auto value = expression(tokens, at, error);
        if (value && at != tokens.size()) {
            *error = QStringLiteral("the expression does not end where expected");
            return std::nullopt;
        }
        return value;
    }

    qm::Status languageStatement(int *locale)
    {
        const int line = m_token.line;
        advance();
        QString error;
        auto primary = scriptExpression(&error);
        if (!primary)
            return failAt(line, QStringLiteral("LANGUAGE: %1").arg(error));
        if (!isPunct(','))
            return failAt(line, QStringLiteral("LANGUAGE needs a language and a sublanguage, separated by a comma"));
        advance();
        auto sub = scriptExpression(&error);
        if (!sub)
            return failAt(line, QStringLiteral("LANGUAGE: %1").arg(error));
        if (*primary < 0 || *primary > 0x3FF || *sub < 0 || *sub > 0x3F)
            return failAt(line, QStringLiteral("LANGUAGE %1, %2 is outside the range of a language ID").arg(*primary).arg(*sub));
        *locale = int((*sub << 10) | *primary);
        return {};
    }

    qm::Status stringTable()
    {
        const int tableLine = m_token.line;
        RcTableBlock block;
        block.start = m_offsetBase + m_token.offset;
        block.conditional = m_conditionDepth > 0;
        advance();
        int locale = m_language;
        while (!isBegin()) {
            if (m_token.kind == Token::Kind::End)
                return failAt(tableLine, QStringLiteral("the STRINGTABLE has no BEGIN"));
            if (isWord("LANGUAGE")) {
                if (auto ok = languageStatement(&locale); !ok)
                    return ok;
                continue;
            }
            if (isWord("CHARACTERISTICS") || isWord("VERSION")) {
                advance();
                QString error;
                if (!scriptExpression(&error))
                    return failAt(m_token.line, error);
                continue;
            }
            if (m_token.kind == Token::Kind::Word && memoryFlags().contains(m_token.text.toUpper())) {
                advance();
                continue;
            }
            return failAt(m_token.line, QStringLiteral("\"%1\" is not an option of STRINGTABLE").arg(tokenText()));
        }
        block.locale = locale;
        block.body = m_offsetBase + m_token.offset;
        const int directivesBefore = m_directives;
        advance();
        if (m_scanOnly)
            return skipTableBody(tableLine, block, directivesBefore);
        while (!isEnd()) {
            if (m_token.kind == Token::Kind::End)
                return failAt(tableLine, QStringLiteral("the STRINGTABLE that starts here has no END"));
            if (m_token.kind == Token::Kind::Error)
                return failAt(m_token.line, QString::fromUtf8(m_token.text));
            const int line = m_token.line;
            QString error;
            auto id = scriptExpression(&error);
            if (!id)
                return failAt(line, QStringLiteral("the string ID cannot be read: %1").arg(error));
            if (*id < 0 || *id > 0xFFFF)
                return failAt(line, QStringLiteral("the string ID %1 is outside 0 to 65535").arg(*id));
            if (isPunct(','))
                advance();
            if (m_token.kind != Token::Kind::String && m_token.kind != Token::Kind::WideString)
                return failAt(line, QStringLiteral("the string ID %1 is not followed by a string").arg(*id));
            // The literals are put together in one buffer kept from string to
            // string; the text itself goes into the arena.
            m_text.truncate(0);
            while (m_token.kind == Token::Kind::String || m_token.kind == Token::Kind::WideString) {
                QString stringError;
                rc::appendString(m_text, m_token.text, m_codePage, m_token.kind == Token::Kind::WideString, &stringError);
                if (!stringError.isEmpty())
                    return failAt(m_token.line, stringError);
                advance();
            }
            int &seen = m_seen[(quint64(quint32(locale)) << 32) | quint32(*id)];
            if (seen != 0)
                return failAt(line, QStringLiteral("the string ID %1 in language %2 was already defined at line %3")
                                        .arg(*id).arg(locale).arg(seen));
            seen = line;
            if (m_text.size() > 0xFFFF)
                return failAt(line, QStringLiteral("the string ID %1 has more than 65535 characters").arg(*id));
            result.entries.push_back({locale, qint32(*id), m_arena.copy(m_text)});
        }
        block.end = m_offsetBase + m_token.end;
        blocks.push_back(block);
        advance();
        return {};
    }

    // A preprocessor line inside the table would go with its body.
    qm::Status skipTableBody(int tableLine, RcTableBlock &block, int directivesBefore)
    {
        while (!isEnd()) {
            if (m_token.kind == Token::Kind::End)
                return failAt(tableLine, QStringLiteral("the STRINGTABLE that starts here has no END"));
            if (m_token.kind == Token::Kind::Error)
                return failAt(m_token.line, QString::fromUtf8(m_token.text));
            advance();
        }
        if (m_directives != directivesBefore)
            return failAt(m_lastDirectiveLine, QStringLiteral("a preprocessor line stands inside the STRINGTABLE that "
                                                              "starts at line %1").arg(QString::number(tableLine)));
        block.end = m_offsetBase + m_token.end;
        blocks.push_back(block);
        advance();
        return {};
    }

    // Another resource: its name, its type, then a file name or a block.
    qm::Status otherResource()
    {
        const int line = m_token.line;
        const QString name = tokenText();
        advance();
        if (m_token.kind == Token::Kind::End || m_token.lineStart)
            return failAt(line, QStringLiteral("\"%1\" is not a statement of a resource script").arg(name));
        const QByteArray type = m_token.text.toUpper();
        const QString typeName = tokenText();
        advance();
        const bool block = blockTypes().contains(type);
        int depth = 0;
        while (m_token.kind != Token::Kind::End) {
            if (m_token.kind == Token::Kind::Error)
                return failAt(m_token.line, QString::fromUtf8(m_token.text));
            if (isBegin()) {
                ++depth;
            } else if (isEnd()) {
                if (--depth <= 0) {
                    advance();
                    break;
                }
            } else if (depth == 0 && !block && (m_token.kind == Token::Kind::String || m_token.kind == Token::Kind::WideString)) {
                advance(); // the file holding the resource
                break;
            }
            advance();
        }
        result.notes << QStringLiteral("line %1: the %2 resource %3 was not read (only string tables are)")
                            .arg(line).arg(typeName, name);
        return {};
    }

    qm::Status statement()
    {
        if (m_pendingError)
            return *m_pendingError;
        if (m_token.kind == Token::Kind::Error)
            return failAt(m_token.line, QString::fromUtf8(m_token.text));
        if (isWord("LANGUAGE"))
            return languageStatement(&m_language);
        if (isWord("STRINGTABLE"))
            return stringTable();
        if (isWord("CHARACTERISTICS") || isWord("VERSION")) {
            advance();
            QString error;
            if (!scriptExpression(&error))
                return failAt(m_token.line, error);
            return {};
        }
        if (m_token.kind == Token::Kind::Word || m_token.kind == Token::Kind::Number || m_token.kind == Token::Kind::String)
            return otherResource();
        return failAt(m_token.line, QStringLiteral("\"%1\" is not a statement of a resource script").arg(tokenText()));
    }

    QString m_path;
    QStringList m_includes;
    rc::Lexer *m_lexer = nullptr;
    Token m_token;
    int m_codePage = 65001;
    int m_language = 0x0409; // what the compilers assume without a LANGUAGE statement
    int m_depth = 0;
    QHash<QByteArray, qint64> m_defines;
    // The line where each string of a language was defined, 0 before; by
    // string, not a table per language, which would make a script of many
    // one-string languages cost far more than its size.
    QHash<quint64, int> m_seen;
    QString m_text;
    excel::backend::TextArena m_arena;
    std::optional<qm::Error> m_pendingError;
    bool m_scanOnly = false;
    qsizetype m_offsetBase = 0; // a byte order mark before the source
    int m_conditionDepth = 0;
    int m_directives = 0; // preprocessor lines of the script read so far
    int m_lastDirectiveLine = 0;
};

} // namespace

qm::Result<RcImport> readRc(const QByteArray &bytes, const QString &path, const QStringList &includes)
{
    if (bytes.size() > kMaxScriptBytes)
        return qm::makeError(QStringLiteral("%1: the script has %2 bytes, more than the %3 a script may have")
                                 .arg(path, QString::number(bytes.size()), QString::number(kMaxScriptBytes)));
    Reader reader(path, includes);
    if (auto read = reader.run(bytes); !read)
        return read.error();
    return std::move(reader.result);
}

qm::Result<std::vector<RcTableBlock>> findRcTables(const QByteArray &bytes, const QString &path, const QStringList &includes)
{
    if (bytes.size() > kMaxScriptBytes)
        return qm::makeError(QStringLiteral("%1: the script has %2 bytes, more than the %3 a script may have")
                                 .arg(path, QString::number(bytes.size()), QString::number(kMaxScriptBytes)));
    Reader reader(path, includes, true);
    if (auto read = reader.run(bytes); !read)
        return read.error();
    return std::move(reader.blocks);
}

} // namespace exchange
