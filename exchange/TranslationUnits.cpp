#include "exchange/TranslationUnits.h"

#include "platform/resutil/ResStrings.h"
#include "platform/win32/Nls.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <map>

namespace exchange {

Translation collectUnits(const resutil::ResStrings &strings, qint32 sourceLocale, qint32 targetLocale)
{
    std::map<qint32, TranslationUnit> byId;
    for (const resutil::ResString *entry : strings) {
        TranslationUnit &unit = byId[entry->ID()];
        unit.id = entry->ID();
        if (entry->Text().isEmpty())
            continue;
        if (entry->LocaleID() == sourceLocale && unit.source.isEmpty())
            unit.source = entry->Text();
        if (entry->LocaleID() == targetLocale && !unit.target)
            unit.target = entry->Text();
    }
    Translation translation;
    translation.sourceLocale = sourceLocale;
    translation.targetLocale = targetLocale;
    translation.units.reserve(byId.size());
    for (auto &[id, unit] : byId)
        translation.units.push_back(std::move(unit));
    return translation;
}

std::vector<ExcelTransfer::ImportedString> applyTranslation(const resutil::ResStrings &current, qint32 targetLocale,
                                                            const ReadTranslation &read, QStringList *messages)
{
    QSet<qint32> known;
    std::vector<ExcelTransfer::ImportedString> entries;
    entries.reserve(size_t(current.Count()) + read.units.size());
    for (const resutil::ResString *entry : current)
        known.insert(entry->ID());

    QHash<qint32, const ReadUnit *> taken;
    for (const ReadUnit &unit : read.units) {
        bool ok = false;
        const qint32 id = unit.id.toInt(&ok, 10);
        if (!ok || unit.id.trimmed() != unit.id || !known.contains(id)) {
            messages->append(QStringLiteral("line %1: the unit \"%2\" names no string ID of the resource file; "
                                            "it was not imported")
                                 .arg(unit.line).arg(unit.id));
            continue;
        }
        if (taken.contains(id)) {
            messages->append(QStringLiteral("line %1: the string ID %2 was already read at line %3; "
                                            "this unit was not imported")
                                 .arg(unit.line).arg(id).arg(taken.value(id)->line));
            continue;
        }
        taken.insert(id, &unit);
    }
    for (const resutil::ResString *entry : current) {
        if (entry->LocaleID() == targetLocale && taken.contains(entry->ID()))
            continue;
        entries.push_back({entry->LocaleID(), entry->ID(), entry->Text()});
    }
    for (const ReadUnit &unit : read.units) {
        bool ok = false;
        const qint32 id = unit.id.toInt(&ok, 10);
        if (!ok || taken.value(id) != &unit || !unit.target || unit.target->isEmpty())
            continue;
        entries.push_back({targetLocale, id, *unit.target});
    }
    return entries;
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
