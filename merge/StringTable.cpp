#include "merge/StringTable.h"

#include "platform/resutil/ResStrings.h"

#include <algorithm>

namespace merge {

namespace {

bool cellBefore(const Cell &a, const Cell &b)
{
    return keyBefore(a.localeId, a.id, b.localeId, b.id);
}

} // namespace

StringTable::StringTable(std::vector<Cell> cells) : m_cells(std::move(cells))
{
    // A loaded file comes sorted; anything else is sorted once, keeping the
    // first of equal keys first.
    if (!std::is_sorted(m_cells.begin(), m_cells.end(), cellBefore))
        std::stable_sort(m_cells.begin(), m_cells.end(), cellBefore);
    const auto sameKey = [](const Cell &a, const Cell &b) { return a.localeId == b.localeId && a.id == b.id; };
    m_cells.erase(std::unique(m_cells.begin(), m_cells.end(), sameKey), m_cells.end());
}

StringTable StringTable::fromStrings(const resutil::ResStrings &strings)
{
    std::vector<Cell> cells;
    cells.reserve(std::size_t(strings.Count()));
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if (!entry.text.isEmpty())
            cells.push_back(Cell{entry.localeId, entry.id, strings.TextAt(entry.position)});
    });
    return StringTable(std::move(cells));
}

StringTable StringTable::asKept(const resutil::ResStrings &strings)
{
    const QHash<quint64, QString> &kept = strings.KeptTexts();
    std::vector<Cell> cells;
    cells.reserve(std::size_t(strings.Count()) + std::size_t(kept.size()));
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if (!entry.text.isEmpty() && !kept.contains(resutil::ResStrings::KeyOf(entry.localeId, entry.id)))
            cells.push_back(Cell{entry.localeId, entry.id, strings.TextAt(entry.position)});
    });
    for (auto at = kept.cbegin(); at != kept.cend(); ++at)
        if (!at.value().isEmpty())
            cells.push_back(Cell{qint32(at.key() >> 32), qint32(quint32(at.key())), at.value()});
    return StringTable(std::move(cells));
}

QHash<quint64, QString> StringTable::textsDifferingIn(const resutil::ResStrings &strings) const
{
    QHash<quint64, QString> differing;
    for (const Cell &cell : m_cells)
        if (strings.TextViewOf(cell.localeId, cell.id) != cell.text)
            differing.insert(resutil::ResStrings::KeyOf(cell.localeId, cell.id), cell.text);
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if (!entry.text.isEmpty() && text(entry.localeId, entry.id).isNull())
            differing.insert(resutil::ResStrings::KeyOf(entry.localeId, entry.id), QString());
    });
    return differing;
}

StringTable StringTable::fromCells(std::vector<Cell> cells)
{
    std::erase_if(cells, [](const Cell &cell) { return cell.text.isEmpty(); });
    return StringTable(std::move(cells));
}

QString StringTable::text(qint32 localeId, qint32 id) const
{
    const auto at = std::lower_bound(m_cells.begin(), m_cells.end(), Cell{localeId, id, {}}, cellBefore);
    if (at == m_cells.end() || at->localeId != localeId || at->id != id)
        return {};
    return at->text;
}

} // namespace merge
