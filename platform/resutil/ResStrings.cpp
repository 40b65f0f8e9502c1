#include "platform/resutil/ResStrings.h"

#include <QSet>

#include <algorithm>

namespace resutil {

ResStrings::Iterator::Iterator(const ResStrings *owner) : m_owner(owner), m_layout(owner->m_layout)
{
    settle();
}

// Moves forward from m_index to the next live entry.
void ResStrings::Iterator::settle()
{
    const auto &all = m_owner->m_slots;
    while (m_index < all.size() && !all[m_index].entry)
        ++m_index;
    if (m_index < all.size())
        m_seq = all[m_index].seq;
}

ResString *ResStrings::Iterator::operator*() const
{
    return m_owner->m_slots[m_index].entry;
}

ResStrings::Iterator &ResStrings::Iterator::operator++()
{
    const auto &all = m_owner->m_slots;
    if (m_layout != m_owner->m_layout) {
        // The slots moved: find our place again by the order number we were at.
        auto next = std::upper_bound(all.begin(), all.end(), m_seq,
                                     [](quint64 seq, const Slot &slot) { return seq < slot.seq; });
        m_index = std::size_t(next - all.begin());
        m_layout = m_owner->m_layout;
    } else {
        ++m_index;
    }
    settle();
    return *this;
}

bool ResStrings::Iterator::operator==(std::default_sentinel_t) const
{
    return m_index >= m_owner->m_slots.size();
}

ResStrings::~ResStrings()
{
    for (const Slot &slot : m_slots)
        delete slot.entry;
}

ResString *ResStrings::Add(std::unique_ptr<ResString> owned)
{
    if (!owned)
        return nullptr;
    ResString *entry = owned.release();
    entry->m_owner = this;
    entry->m_seq = m_nextSeq++;
    entry->m_slot = qsizetype(m_slots.size());
    m_slots.push_back(Slot{entry->m_seq, entry});
    ++m_count;
    index(entry);
    m_changed = true;
    m_languagesValid = false;
    return entry;
}

ResString *ResStrings::Add(qint32 localeId, qint32 id, QString text)
{
    return Add(std::make_unique<ResString>(localeId, id, std::move(text)));
}

qm::Status ResStrings::Remove(ResString *entry)
{
    if (!entry || entry->m_owner != this)
        return qm::makeError(QStringLiteral("The string entry to remove does not belong to this resource file."));
    unindex(entry);
    m_slots[std::size_t(entry->m_slot)].entry = nullptr;
    delete entry;
    --m_count;
    m_changed = true;
    m_languagesValid = false;
    // Keep the slots at most half empty so enumeration stays linear.
    if (m_slots.size() > 64 && qsizetype(m_slots.size()) > 2 * m_count)
        compact();
    return {};
}

void ResStrings::Clear()
{
    for (const Slot &slot : m_slots)
        delete slot.entry;
    m_slots.clear();
    m_index.clear();
    m_extra.clear();
    m_count = 0;
    ++m_layout;
    m_changed = true;
    m_languagesValid = false;
}

void ResStrings::reserve(qsizetype count)
{
    m_slots.reserve(std::size_t(count));
    m_index.reserve(std::size_t(count));
}

ResString *ResStrings::Find(qint32 localeId, qint32 id) const
{
    return m_index.find(key(localeId, id));
}

QList<qint32> ResStrings::Languages() const
{
    if (!m_languagesValid) {
        m_languages.clear();
        QSet<qint32> seen;
        for (const Slot &slot : m_slots) {
            if (slot.entry && !seen.contains(slot.entry->m_localeId)) {
                seen.insert(slot.entry->m_localeId);
                m_languages.append(slot.entry->m_localeId);
            }
        }
        m_languagesValid = true;
    }
    return m_languages;
}

void ResStrings::index(ResString *entry)
{
    const quint64 k = key(entry->m_localeId, entry->m_id);
    ResString *&holder = m_index.slot(k);
    if (!holder) {
        holder = entry;
    } else {
        ++m_extra[k];
        if (entry->m_seq < holder->m_seq)
            holder = entry;
    }
}

void ResStrings::unindex(ResString *entry)
{
    const quint64 k = key(entry->m_localeId, entry->m_id);
    auto extra = m_extra.find(k);
    if (extra == m_extra.end()) {
        m_index.erase(k);
        return;
    }
    if (--extra.value() == 0)
        m_extra.erase(extra);
    if (m_index.find(k) != entry)
        return;
    // Rare: hand the key to the earliest other entry that has it.
    for (const Slot &slot : m_slots) {
        if (slot.entry && slot.entry != entry && key(slot.entry->m_localeId, slot.entry->m_id) == k) {
            m_index.slot(k) = slot.entry;
            return;
        }
    }
}

void ResStrings::rekey(ResString *entry, qint32 localeId, qint32 id)
{
    unindex(entry);
    entry->m_localeId = localeId;
    entry->m_id = id;
    index(entry);
    m_changed = true;
    m_languagesValid = false;
}

void ResStrings::compact()
{
    std::size_t out = 0;
    for (const Slot &slot : m_slots) {
        if (slot.entry) {
            slot.entry->m_slot = qsizetype(out);
            m_slots[out++] = slot;
        }
    }
    m_slots.resize(out);
    ++m_layout;
}

} // namespace resutil
