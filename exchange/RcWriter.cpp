#include "exchange/RcFormat.h"

#include "exchange/RcTables.h"
#include "platform/resutil/ResStrings.h"

#include <algorithm>
#include <map>
#include <vector>

namespace exchange {

namespace {

// Source characters per literal: long texts become concatenated literals.
constexpr qsizetype kLiteralLength = 200;
constexpr std::string_view kLiteralIndent = "        L\"";

// Every unit outside printable ASCII as \xHHHH: the script is ASCII through and through.
void appendLiteral(ByteSink &sink, QStringView text, std::string_view newline)
{
    static const char hex[] = "0123456789abcdef";
    const qsizetype breaks = text.size() / kLiteralLength + 1;
    const size_t breakSize = 1 + newline.size() + kLiteralIndent.size();
    char *out = sink.room(size_t(text.size()) * 6 + size_t(breaks) * breakSize + 4);
    *out++ = 'L';
    *out++ = '"';
    qsizetype written = 0;
    for (const QChar c : text) {
        if (written >= kLiteralLength) {
            *out++ = '"';
            out = copyLiteral(out, newline);
            out = copyLiteral(out, kLiteralIndent);
            written = 0;
        }
        const char16_t u = c.unicode();
        const char *escaped = nullptr;
        switch (u) {
        case u'"': escaped = "\"\""; break;
        case u'\\': escaped = "\\\\"; break;
        case u'\n': escaped = "\\n"; break;
        case u'\r': escaped = "\\r"; break;
        case u'\t': escaped = "\\t"; break;
        default: break;
        }
        if (escaped) {
            *out++ = escaped[0];
            *out++ = escaped[1];
            written += 2;
        } else if (u >= 0x20 && u < 0x7F) {
            *out++ = char(u);
            ++written;
        } else {
            *out++ = '\\';
            *out++ = 'x';
            for (int shift = 12; shift >= 0; shift -= 4)
                *out++ = hex[(u >> shift) & 0xF];
            written += 6;
        }
    }
    *out++ = '"';
    sink.cursor() = out;
}

// 0x and at least two digits: a primary language takes up to ten bits.
void appendHex(ByteSink &out, int value)
{
    static const char hex[] = "0123456789abcdef";
    out << "0x";
    if (value > 0xFF)
        out << hex[(value >> 8) & 0xF];
    out << hex[(value >> 4) & 0xF] << hex[value & 0xF];
}

} // namespace

qm::Result<RcTables> collectRcTables(const resutil::ResStrings &strings)
{
    RcTables byLanguage;
    qm::Status refused;
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if (!refused)
            return;
        if (entry.localeId < 0 || entry.localeId > 0xFFFF) {
            refused = qm::makeError(QStringLiteral("the locale ID %1 does not fit a LANGUAGE statement (0 to 65535)")
                                        .arg(entry.localeId));
            return;
        }
        if (entry.id < 0 || entry.id > 0xFFFF) {
            refused = qm::makeError(QStringLiteral("the string ID %1 does not fit a string table (0 to 65535)").arg(entry.id));
            return;
        }
        if (entry.text.isEmpty())
            return;
        byLanguage[entry.localeId].push_back({quint16(entry.id), entry.position});
    });
    if (!refused)
        return refused.error();
    for (auto &[locale, table] : byLanguage) {
        // Entry order is usually ID order already; an equal ID keeps its first text.
        const auto byId = [](const RcTableEntry &a, const RcTableEntry &b) { return a.id < b.id; };
        if (!std::is_sorted(table.begin(), table.end(), byId))
            std::stable_sort(table.begin(), table.end(), byId);
        for (size_t i = 1; i < table.size(); ++i)
            if (table[i].id == table[i - 1].id && strings.TextAt(table[i].position) != strings.TextAt(table[i - 1].position))
                return qm::makeError(QStringLiteral("string ID %1 has two different texts in locale %2")
                                         .arg(table[i].id).arg(locale));
    }
    return byLanguage;
}

void appendRcLanguage(ByteSink &out, qint32 locale)
{
    out << "LANGUAGE ";
    appendHex(out, locale & 0x3FF);
    out << ", ";
    appendHex(out, locale >> 10);
}

void appendRcBody(ByteSink &out, const resutil::ResStrings &strings, const std::vector<RcTableEntry> &table,
                  std::string_view newline)
{
    out << "BEGIN";
    out.append(newline.data(), newline.size());
    for (size_t i = 0; i < table.size(); ++i) {
        if (i > 0 && table[i].id == table[i - 1].id)
            continue;
        out << "    ";
        out.appendInt(table[i].id);
        out << ", ";
        appendLiteral(out, strings.TextAt(table[i].position), newline);
        out.append(newline.data(), newline.size());
    }
    out << "END";
}

qm::Status writeRc(const resutil::ResStrings &strings, const QString &original, ByteSink &out)
{
    auto tables = collectRcTables(strings);
    if (!tables)
        return tables.error();
    out << "// String tables of ";
    appendUtf8(out, original);
    out << ", written by Quillmark.\n#pragma code_page(65001)\n";
    for (const auto &[locale, table] : tables.value()) {
        out << '\n';
        appendRcLanguage(out, locale);
        out << "\nSTRINGTABLE\n";
        appendRcBody(out, strings, table, "\n");
        out << '\n';
    }
    return {};
}

} // namespace exchange
