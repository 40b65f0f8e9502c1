#include "editor/StringSnapshot.h"

#include "platform/resutil/ResStrings.h"

StringSnapshot TakeSnapshot(const resutil::ResStrings &strings)
{
    StringSnapshot records;
    records.reserve(static_cast<std::size_t>(strings.Count()));
    for (const resutil::ResString *entry : strings)
        records.push_back({entry->LocaleID(), entry->ID(), entry->Text()});
    return records;
}

void RestoreSnapshot(resutil::ResStrings &strings, const StringSnapshot &records)
{
    strings.Clear();
    strings.reserve(static_cast<qsizetype>(records.size()));
    for (const StringRecord &record : records)
        strings.Add(record.localeId, record.id, record.text);
    strings.ForgetKeptTextsUnchanged();
}

void ReinsertRecords(resutil::ResStrings &strings, const std::vector<std::pair<std::size_t, StringRecord>> &removed)
{
    const StringSnapshot remaining = TakeSnapshot(strings);
    StringSnapshot merged;
    merged.reserve(remaining.size() + removed.size());
    auto next = removed.begin();
    for (const StringRecord &record : remaining) {
        while (next != removed.end() && next->first == merged.size())
            merged.push_back((next++)->second);
        merged.push_back(record);
    }
    for (; next != removed.end(); ++next)
        merged.push_back(next->second);
    RestoreSnapshot(strings, merged);
}
