#include "memory/StringTableEntries.h"

#include "checks/StringTableChecks.h"
#include "platform/resutil/ResFile.h"
#include "platform/resutil/ResStrings.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace memory {

std::vector<Entry> entriesOf(const resutil::ResStrings &strings, qint32 sourceLocale, const QString &file)
{
    // The first text of an ID is the one the program reads.
    QHash<qint32, QString> sources;
    strings.Peek([&](const resutil::ResStrings::Peeked &p) {
        if (p.localeId == sourceLocale && !p.text.isEmpty() && !sources.contains(p.id))
            sources.insert(p.id, p.text.toString());
    });
    std::vector<Entry> entries;
    entries.reserve(std::size_t(strings.Count()));
    strings.Peek([&](const resutil::ResStrings::Peeked &p) {
        if (p.localeId == sourceLocale || p.text.isEmpty())
            return;
        const auto source = sources.constFind(p.id);
        if (source == sources.constEnd())
            return;
        entries.push_back({sourceLocale, *source, p.localeId, p.text.toString(), file, p.id, 0});
    });
    // Grouped by source, so that each source text is looked for once.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.stringId < b.stringId; });
    return entries;
}

qm::Result<std::vector<Entry>> entriesOfResFile(const QString &path)
{
    resutil::ResFile file;
    file.setFileName(path);
    if (auto status = file.Load(); !status.ok())
        return status.error();
    const qint32 source = checks::defaultSourceLanguage(file.Languages());
    return entriesOf(file.Strings(), source, QFileInfo(path).absoluteFilePath());
}

} // namespace memory
