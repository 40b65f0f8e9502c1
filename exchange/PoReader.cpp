#include "exchange/PoFormat.h"

#include "platform/excel/io/TextArena.h"

#include <optional>

namespace exchange {

namespace {

struct Entry {
    std::optional<QByteArray> context, id, str;
    bool fuzzy = false;
    int line = 0;
    QByteArray note; // the translator's comments ("# "), one line each
};

// The body of one "..." string with its escapes resolved, as bytes.
qm::Result<QByteArray> unquote(QByteArrayView line, int lineNo)
{
    const auto fail = [&](const QString &what) {
        return qm::makeError(QStringLiteral("line %1: %2").arg(lineNo).arg(what));
    };
    qsizetype i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i >= line.size() || line[i] != '"')
        return fail(QStringLiteral("a quoted string was expected"));
    ++i;
    QByteArray out;
    for (;;) {
        if (i >= line.size())
            return fail(QStringLiteral("the string is not closed on its line"));
        // Plain runs go in whole; only escapes are taken apart.
        const qsizetype plain = i;
        while (i < line.size() && line[i] != '"' && line[i] != '\\')
            ++i;
        out.append(line.data() + plain, i - plain);
        if (i >= line.size())
            continue;
        const char c = line[i++];
        if (c == '"')
            break;
        if (i >= line.size())
            return fail(QStringLiteral("the string ends in a backslash"));
        const char e = line[i++];
        switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'a': out += '\a'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'v': out += '\v'; break;
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'x': {
            int value = 0, digits = 0;
            while (i < line.size() && digits < 2 && isxdigit(uchar(line[i]))) {
                value = value * 16 + QByteArray(1, line[i]).toInt(nullptr, 16);
                ++i;
                ++digits;
            }
            if (digits == 0)
                return fail(QStringLiteral("\\x is not followed by a hexadecimal digit"));
            out += char(value);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                int value = e - '0', digits = 1;
                while (i < line.size() && digits < 3 && line[i] >= '0' && line[i] <= '7') {
                    value = value * 8 + (line[i] - '0');
                    ++i;
                    ++digits;
                }
                if (value > 0xFF)
                    return fail(QStringLiteral("the octal escape is larger than a byte"));
                out += char(value);
                break;
            }
            return fail(QStringLiteral("the escape \\%1 is not known").arg(QLatin1Char(e)));
        }
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
        ++i;
    if (i < line.size())
        return fail(QStringLiteral("text follows the closing quote"));
    return out;
}

// Texts share large blocks instead of taking an allocation each.
qm::Result<QString> utf8(const QByteArray &bytes, int line, excel::backend::TextArena &arena)
{
    bool valid = true;
    QString text = arena.fromUtf8(bytes.constData(), size_t(bytes.size()), &valid);
    if (!valid)
        return qm::makeError(QStringLiteral("line %1: the string is not valid UTF-8").arg(line));
    if (bytes.contains('\0'))
        return qm::makeError(QStringLiteral("line %1: the string holds a NUL character").arg(line));
    return text;
}

QString headerField(const QString &header, const QString &name)
{
    for (const QString &line : header.split(u'\n')) {
        if (line.startsWith(name + u':', Qt::CaseInsensitive))
            return line.mid(name.size() + 1).trimmed();
    }
    return QString();
}

} // namespace

qm::Result<ReadTranslation> readPo(const QByteArray &bytes, bool takeFuzzy)
{
    ReadTranslation read;
    Entry current;
    QByteArray *open = nullptr; // the string that continuation lines extend
    bool pendingFuzzy = false;
    QByteArray pendingNote;
    int obsolete = 0;
    bool obsoleteContextOpen = false; // a "#~ msgctxt" whose "#~ msgid" is still to come
    int fuzzyLeftOut = 0, firstFuzzyLine = 0;

    // Each entry becomes a unit as soon as it ends.
    excel::backend::TextArena arena;
    bool headerSeen = false;
    const auto take = [&](const Entry &entry) -> qm::Status {
        if (!entry.id || !entry.str)
            return qm::makeError(QStringLiteral("line %1: the entry has no %2").arg(entry.line).arg(
                entry.id ? QStringLiteral("msgstr") : QStringLiteral("msgid")));
        if (!entry.context && entry.id->isEmpty() && !headerSeen) {
            headerSeen = true;
            auto header = utf8(*entry.str, entry.line, arena);
            if (!header)
                return header.error();
            const QString type = headerField(header.value(), QStringLiteral("Content-Type"));
            const qsizetype at = type.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
            const QString charset = at < 0 ? QString() : type.mid(at + 8).trimmed();
            if (!charset.isEmpty() && charset.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0
                && charset.compare(QLatin1String("CHARSET"), Qt::CaseInsensitive) != 0)
                return qm::makeError(QStringLiteral("the file is in %1; only UTF-8 PO files are read").arg(charset));
            read.targetTag = headerField(header.value(), QStringLiteral("Language"));
            read.targetLocale = headerField(header.value(), QStringLiteral("X-Quillmark-Target-Locale")).toInt();
            if (const int source = headerField(header.value(), QStringLiteral("X-Quillmark-Source-Locale")).toInt(); source > 0)
                read.sourceTag = localeTag(source);
            return {};
        }
        ReadUnit unit;
        unit.line = entry.line;
        if (entry.context) {
            auto id = utf8(*entry.context, entry.line, arena);
            if (!id)
                return id.error();
            unit.id = id.value();
        } else {
            auto id = utf8(*entry.id, entry.line, arena);
            if (!id)
                return id.error();
            unit.id = id.value();
        }
        if (entry.context) {
            auto source = utf8(*entry.id, entry.line, arena);
            if (!source)
                return source.error();
            unit.source = source.value();
        } else {
            unit.source = unit.id;
        }
        auto target = utf8(*entry.str, entry.line, arena);
        if (!target)
            return target.error();
        if (entry.fuzzy && !takeFuzzy) {
            if (fuzzyLeftOut++ == 0)
                firstFuzzyLine = entry.line;
            return {};
        }
        if (!target->isEmpty()) {
            unit.target = target.value();
            // Only fuzzy says something: a plain entry is what its text is.
            if (entry.fuzzy)
                unit.state = UnitState::NeedsReview;
        }
        if (!entry.note.isEmpty())
            unit.note = QString::fromUtf8(entry.note);
        read.units.push_back(std::move(unit));
        return {};
    };
    auto finish = [&]() -> qm::Status {
        qm::Status taken;
        if (current.id || current.str || current.context)
            taken = take(current);
        current = Entry();
        open = nullptr;
        return taken;
    };

    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    int lineNo = 0;
    while (!rest.isEmpty()) {
        const qsizetype nl = rest.indexOf('\n');
        QByteArrayView line = nl < 0 ? rest : rest.first(nl);
        rest = nl < 0 ? QByteArrayView() : rest.sliced(nl + 1);
        ++lineNo;
        if (line.endsWith('\r'))
            line.chop(1);
        QByteArrayView trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (trimmed.startsWith('#')) {
            if (trimmed.startsWith("#~")) {
                // An obsolete entry has one msgid, after its msgctxt if it has one;
                // the flags before it are its own.
                const QByteArrayView body = trimmed.sliced(2).trimmed();
                qsizetype end = 0;
                while (end < body.size() && body[end] != ' ' && body[end] != '\t' && body[end] != '"')
                    ++end;
                const QByteArrayView word = body.first(end);
                if (word == "msgctxt" || (word == "msgid" && !obsoleteContextOpen))
                    ++obsolete;
                if (word == "msgctxt" || word == "msgid") {
                    obsoleteContextOpen = word == "msgctxt";
                    pendingFuzzy = false;
                    pendingNote.clear();
                }
                continue;
            }
            if (trimmed.startsWith("#,"))
                for (const QByteArray &flag : trimmed.sliced(2).toByteArray().split(','))
                    if (flag.trimmed() == "fuzzy")
                        pendingFuzzy = true;
            // "# text" (or a bare "#"): the translator's own comment.
            if (trimmed.size() == 1 || trimmed[1] == ' ' || trimmed[1] == '\t') {
                const QByteArrayView text = line.trimmed().sliced(1);
                pendingNote += (pendingNote.isEmpty() ? QByteArray() : QByteArray("\n")) +
                               (text.startsWith(' ') ? text.sliced(1) : text).toByteArray();
            }
            continue;
        }
        if (trimmed.startsWith('"')) {
            if (!open)
                return qm::makeError(QStringLiteral("line %1: a string stands where a keyword (msgctxt, msgid, "
                                                    "msgstr) was expected").arg(lineNo));
            auto piece = unquote(trimmed, lineNo);
            if (!piece)
                return piece.error();
            *open += piece.value();
            continue;
        }
        const qsizetype space = trimmed.indexOf(' ');
        const QByteArrayView keyword = space < 0 ? trimmed : trimmed.first(space);
        const QByteArrayView value = space < 0 ? QByteArrayView() : trimmed.sliced(space);
        if (keyword == "msgid_plural" || keyword.startsWith("msgstr["))
            return qm::makeError(QStringLiteral("line %1: plural forms (%2) are not used for string tables")
                                     .arg(lineNo).arg(QString::fromLatin1(keyword)));
        std::optional<QByteArray> *slot = nullptr;
        if (keyword == "msgctxt") {
            if (auto ok = finish(); !ok)
                return ok.error();
            slot = &current.context;
        } else if (keyword == "msgid") {
            // A msgid starts the next entry unless it completes a msgctxt.
            if (!current.context || current.id)
                if (auto ok = finish(); !ok)
                    return ok.error();
            slot = &current.id;
        } else if (keyword == "msgstr") {
            if (!current.id)
                return qm::makeError(QStringLiteral("line %1: msgstr without a msgid before it").arg(lineNo));
            slot = &current.str;
        } else {
            return qm::makeError(QStringLiteral("line %1: \"%2\" is not a PO keyword")
                                     .arg(lineNo).arg(QString::fromUtf8(keyword.first(qMin<qsizetype>(40, keyword.size())))));
        }
        if (slot->has_value())
            return qm::makeError(QStringLiteral("line %1: a second %2 in one entry").arg(lineNo).arg(QString::fromLatin1(keyword)));
        auto piece = unquote(value, lineNo);
        if (!piece)
            return piece.error();
        // The flags belong to the entry as a whole: its first keyword takes them.
        if (keyword != "msgstr" && current.line == 0) {
            current.line = lineNo;
            current.fuzzy = pendingFuzzy;
            pendingFuzzy = false;
            current.note = std::move(pendingNote);
            pendingNote.clear();
        }
        *slot = piece.value();
        open = &slot->value();
    }
    if (auto ok = finish(); !ok)
        return ok.error();

    if (fuzzyLeftOut == 1)
        read.notes << QStringLiteral("line %1: 1 fuzzy entry (#, fuzzy) was not taken").arg(firstFuzzyLine);
    else if (fuzzyLeftOut > 1)
        read.notes << QStringLiteral("%1 fuzzy entries (#, fuzzy) were not taken, the first at line %2")
                          .arg(QString::number(fuzzyLeftOut), QString::number(firstFuzzyLine));
    if (obsolete == 1)
        read.notes << QStringLiteral("1 obsolete entry (#~) was not taken");
    else if (obsolete > 1)
        read.notes << QStringLiteral("%1 obsolete entries (#~) were not taken").arg(obsolete);
    return read;
}

} // namespace exchange
