#include "exchange/TranslationUnits.h"

#include "exchange/IdTable.h"
#include "platform/resutil/LargeAllocation.h"
#include "platform/resutil/ResStrings.h"
#include "platform/win32core/Nls.h"

#include <algorithm>

namespace exchange {

Translation collectUnits(const resutil::ResStrings &strings, qint32 sourceLocale, qint32 targetLocale)
{
    IdTable<qint32> unitOf(-1);
    std::vector<TranslationUnit> units;
    units.reserve(size_t(qMin<qsizetype>(strings.Count(), 0x10000)));
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        qint32 &slot = unitOf[entry.id];
        if (slot < 0) {
            slot = qint32(units.size());
            units.emplace_back();
            units.back().id = entry.id;
        }
        if (entry.text.isEmpty())
            return;
        TranslationUnit &unit = units[size_t(slot)];
        if (entry.localeId == sourceLocale && unit.source.isEmpty())
            unit.source = strings.TextAt(entry.position);
        if (entry.localeId == targetLocale && !unit.target)
            unit.target = strings.TextAt(entry.position);
    });
    // Units in ascending ID; entry order is mostly that order already.
    const auto byId = [](const TranslationUnit &a, const TranslationUnit &b) { return a.id < b.id; };
    if (!std::is_sorted(units.begin(), units.end(), byId))
        std::sort(units.begin(), units.end(), byId);
    Translation translation;
    translation.sourceLocale = sourceLocale;
    translation.targetLocale = targetLocale;
    translation.units = std::move(units);
    return translation;
}

std::vector<ExcelTransfer::ImportedString> applyTranslation(const resutil::ResStrings &current, qint32 targetLocale,
                                                            const ReadTranslation &read, QStringList *messages)
{
    // The IDs the table knows, and where its target language ends.
    IdTable<char> known(0);
    qsizetype lastOfTarget = -1, at = 0;
    current.Peek([&](const resutil::ResStrings::Peeked &entry) {
        known[entry.id] = 1;
        if (entry.localeId == targetLocale)
            lastOfTarget = at;
        ++at;
    });

    // The unit that gives each ID its text: the first one naming it.
    IdTable<const ReadUnit *> taken(nullptr);
    std::vector<qint32> idOf(read.units.size(), 0);
    for (size_t i = 0; i < read.units.size(); ++i) {
        const ReadUnit &unit = read.units[i];
        bool ok = false;
        const qint32 id = unit.id.toInt(&ok, 10);
        if (!ok || unit.id.front().isSpace() || unit.id.back().isSpace() || !known.value(id)) {
            messages->append(QStringLiteral("line %1: the unit \"%2\" names no string ID of the resource file; "
                                            "it was not imported")
                                 .arg(unit.line).arg(unit.id));
            continue;
        }
        if (const ReadUnit *first = taken.value(id)) {
            messages->append(QStringLiteral("line %1: the string ID %2 was already read at line %3; "
                                            "this unit was not imported")
                                 .arg(unit.line).arg(id).arg(first->line));
            continue;
        }
        taken[id] = &unit;
        idOf[i] = id;
    }

    // A new text takes the place of the old one, so the language keeps its
    // place in the table; texts it did not have yet follow its last entry.
    std::vector<ExcelTransfer::ImportedString> entries;
    entries.reserve(size_t(current.Count()) + read.units.size());
    resutil::adviseHugePages(entries.data(), entries.capacity() * sizeof(ExcelTransfer::ImportedString));
    std::vector<char> placed(read.units.size(), 0);
    const auto place = [&](size_t i) {
        const ReadUnit &unit = read.units[i];
        placed[i] = 1;
        if (unit.target && !unit.target->isEmpty())
            entries.push_back({targetLocale, idOf[i], *unit.target});
    };
    const auto placeTheRest = [&] {
        for (size_t i = 0; i < read.units.size(); ++i)
            if (!placed[i] && taken.value(idOf[i]) == &read.units[i])
                place(i);
    };
    at = 0;
    current.Peek([&](const resutil::ResStrings::Peeked &entry) {
        const ReadUnit *unit = entry.localeId == targetLocale ? taken.value(entry.id) : nullptr;
        if (!unit)
            entries.push_back({entry.localeId, entry.id, current.TextAt(entry.position)});
        else if (const size_t i = size_t(unit - read.units.data()); !placed[i])
            place(i);
        if (at++ == lastOfTarget)
            placeTheRest();
    });
    if (lastOfTarget < 0)
        placeTheRest();
    return entries;
}

std::vector<const ReadUnit *> takenUnits(const resutil::ResStrings &current, const ReadTranslation &read)
{
    IdTable<char> known(0), seen(0);
    current.Peek([&](const resutil::ResStrings::Peeked &entry) { known[entry.id] = 1; });
    std::vector<const ReadUnit *> taken;
    for (const ReadUnit &unit : read.units) {
        bool ok = false;
        const qint32 id = unit.id.toInt(&ok, 10);
        if (!ok || unit.id.front().isSpace() || unit.id.back().isSpace() || !known.value(id) || seen.value(id))
            continue;
        seen[id] = 1;
        taken.push_back(&unit);
    }
    return taken;
}

QString localeTag(qint32 localeId)
{
    return win32::LCIDToLocaleName(win32::LCID(localeId));
}

qint32 localeForTag(const QString &tag)
{
    QString name = tag.trimmed();
    name.replace(u'_', u'-');
    if (const qsizetype at = name.indexOf(u'@'); at >= 0)
        name.truncate(at);
    if (const qsizetype dot = name.indexOf(u'.'); dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return 0;
    return qint32(win32::LocaleNameToLCID(name));
}

} // namespace exchange
