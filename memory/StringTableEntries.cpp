#include "memory/StringTableEntries.h"

#include "checks/StringTableChecks.h"
#include "platform/resutil/ResFile.h"
#include "platform/resutil/ResStrings.h"

#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace memory {

EntryBatches::EntryBatches(const resutil::ResStrings &strings, qint32 sourceLocale, QString file)
    : m_sourceLocale(sourceLocale), m_file(std::move(file)), m_locales(strings.Languages())
{
    m_locales.removeAll(sourceLocale);
    strings.Peek([&](const resutil::ResStrings::Peeked &p) {
        if (p.localeId == sourceLocale && !p.text.isEmpty())
            m_ids.push_back(p.id);
    });
    std::sort(m_ids.begin(), m_ids.end());
    m_ids.erase(std::unique(m_ids.begin(), m_ids.end()), m_ids.end());
}

std::vector<Entry> EntryBatches::next(const resutil::ResStrings &strings, std::size_t size)
{
    std::vector<Entry> entries;
    while (m_at < m_ids.size() && entries.size() < size) {
        const qint32 id = m_ids[m_at++];
        const QString source = strings.TextOf(m_sourceLocale, id);
        if (source.isEmpty())
            continue;
        for (qint32 locale : std::as_const(m_locales)) {
            const QStringView text = strings.TextViewOf(locale, id);
            if (!text.isEmpty())
                entries.push_back({m_sourceLocale, source, locale, text.toString(), m_file, id, 0});
        }
    }
    return entries;
}

std::vector<Entry> entriesOf(const resutil::ResStrings &strings, qint32 sourceLocale, const QString &file)
{
    return EntryBatches(strings, sourceLocale, file).next(strings, std::numeric_limits<std::size_t>::max());
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
