#pragma once

#include <QString>

#include <cstddef>
#include <utility>
#include <vector>

namespace resutil {
class ResStrings;
}

// The entries of a string collection as plain records, in the collection's
// order. Texts are shared with the entries, so a snapshot costs its records,
// not a copy of every text.
struct StringRecord {
    qint32 localeId = 0;
    qint32 id = 0;
    QString text;
    bool operator==(const StringRecord &other) const = default;
};
using StringSnapshot = std::vector<StringRecord>;

StringSnapshot TakeSnapshot(const resutil::ResStrings &strings);
// Makes the collection hold exactly the records, in their order.
void RestoreSnapshot(resutil::ResStrings &strings, const StringSnapshot &records);
// Puts records back at the positions they had in the collection before they
// were removed (each position counted in the collection as it was then).
void ReinsertRecords(resutil::ResStrings &strings, const std::vector<std::pair<std::size_t, StringRecord>> &removed);
