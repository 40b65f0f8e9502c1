// An export into an existing resource script: only its string tables change.
#include "exchange/RcFormat.h"

#include "exchange/RcTables.h"

#include <set>

namespace exchange {

namespace {

std::string_view newlineOf(QByteArrayView script)
{
    const qsizetype nl = script.indexOf('\n');
    return nl > 0 && script[nl - 1] == '\r' ? std::string_view("\r\n") : std::string_view("\n");
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isWordChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; }

// Just after the line end that follows `from` when only blanks stand
// between, else `from` itself.
qsizetype afterBlankRest(QByteArrayView script, qsizetype from)
{
    qsizetype at = from;
    while (at < script.size() && (isBlank(script[at]) || script[at] == '\r'))
        ++at;
    if (at >= script.size())
        return script.size();
    return script[at] == '\n' ? at + 1 : from;
}

// What a table that goes takes with it: the blanks that begin its first
// line and end its last, and those lines when nothing else stands on them.
struct Removed {
    qsizetype start, end;
    bool sharesLine; // text stays on both sides, on one line
};
Removed removedRange(QByteArrayView script, const RcTableBlock &block)
{
    qsizetype start = block.start;
    while (start > 0 && isBlank(script[start - 1]))
        --start;
    const bool ownsStart = start == 0 || script[start - 1] == '\n';
    const qsizetype end = afterBlankRest(script, block.end);
    const bool ownsEnd = end != block.end || end == script.size();
    return {ownsStart ? start : block.start, ownsStart && ownsEnd ? end : block.end, !ownsStart && !ownsEnd};
}

} // namespace

qm::Status updateRc(const resutil::ResStrings &strings, const QByteArray &existing, const QString &path,
                    const QStringList &includes, ByteSink &out)
{
    auto tables = collectRcTables(strings);
    if (!tables)
        return tables.error();
    auto found = findRcTables(existing, path, includes);
    if (!found)
        return qm::makeError(QStringLiteral("%1; its string tables cannot be told apart from the rest, so the script "
                                            "was not changed")
                                 .arg(found.errorString()));
    const std::vector<RcTableBlock> &blocks = found.value();
    const QByteArrayView script(existing);
    const std::string_view newline = newlineOf(script);

    // Languages without a table in the script follow its last one, unless
    // that one is only compiled under a condition.
    const qsizetype insertAt = !blocks.empty() && !blocks.back().conditional
                                   ? afterBlankRest(script, blocks.back().end)
                                   : script.size();
    qsizetype copied = 0;
    const auto copyTo = [&](qsizetype to) {
        if (to > copied)
            out.append(script.data() + copied, size_t(to - copied));
        copied = qMax(copied, to);
    };
    std::set<qint32> written;
    for (const RcTableBlock &block : blocks) {
        const auto table = tables->find(block.locale);
        if (table != tables->end() && written.insert(block.locale).second) {
            copyTo(block.body);
            // BEGIN and END are words where { and } were not.
            if (block.body > 0 && isWordChar(script[block.body - 1]))
                out << ' ';
            appendRcBody(out, strings, table->second, newline);
            if (block.end < script.size() && isWordChar(script[block.end]))
                out << ' ';
            copied = block.end;
        } else {
            const Removed removed = removedRange(script, block);
            copyTo(removed.start);
            // What shared a line with the table does not run together.
            if (removed.sharesLine)
                out << ' ';
            copied = removed.end;
        }
    }
    copyTo(insertAt);
    bool first = true;
    for (const auto &[locale, table] : tables.value()) {
        if (written.count(locale))
            continue;
        // A script that does not end its last line gets a line end first.
        if (first && copied > 0 && script[copied - 1] != '\n')
            out.append(newline.data(), newline.size());
        if (copied > 0 || !first)
            out.append(newline.data(), newline.size());
        first = false;
        out << "STRINGTABLE";
        out.append(newline.data(), newline.size());
        appendRcLanguage(out, locale);
        out.append(newline.data(), newline.size());
        appendRcBody(out, strings, table, newline);
        out.append(newline.data(), newline.size());
    }
    copyTo(script.size());
    return {};
}

} // namespace exchange
