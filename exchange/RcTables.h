#pragma once

#include "exchange/Utf8Writer.h"
#include "platform/common/Result.h"

#include <map>
#include <string_view>
#include <vector>

namespace resutil {
class ResStrings;
}

namespace exchange {

// The string tables of a resource script: per locale (ascending) the IDs
// that have a text, ascending, each naming its text's place in the strings.
struct RcTableEntry {
    quint16 id;
    qsizetype position; // for ResStrings::TextAt
};
using RcTables = std::map<qint32, std::vector<RcTableEntry>>;

// Refuses IDs and locales outside 0..65535 and an ID with two different
// texts in one language.
qm::Result<RcTables> collectRcTables(const resutil::ResStrings &strings);

// "LANGUAGE 0x09, 0x02", without a line end.
void appendRcLanguage(ByteSink &out, qint32 locale);

// BEGIN, one line per ID and END, without a line end after END.
void appendRcBody(ByteSink &out, const resutil::ResStrings &strings, const std::vector<RcTableEntry> &table,
                  std::string_view newline);

} // namespace exchange
