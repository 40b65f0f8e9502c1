#include "platform/resutil/ResStrings.h"

#include "platform/resutil/LargeAllocation.h"

#include <QSet>

#include <algorithm>
#include <new>

namespace resutil {

namespace {

constexpr std::size_t kFirstChunk = 64;

quint64 key(const ResString &entry)
{
    return (quint64(quint32(entry.LocaleID())) << 32) | quint32(entry.ID());
}

// Destroys entries in a row. Texts of a loaded file share one buffer, so
// releasing them one by one costs an atomic operation each: the references of
// a run of neighbours on the same buffer are given back at once instead, while
// the first of the run still holds one, so the count never reaches zero early.
class EntryReleaser {
public:
    ~EntryReleaser() { endRun(); }
    void release(ResString *entry, QString &text)
    {
        QString::DataPointer &shared = text.data_ptr();
        if (shared.d && shared.d == m_runData) {
            shared.d = nullptr; // its reference is counted in m_given
            shared.ptr = nullptr;
            shared.size = 0;
            ++m_given;
            std::destroy_at(entry);
            return;
        }
        endRun();
        m_runData = shared.d;
        m_runHolder = entry;
    }

private:
    void endRun()
    {
        if (m_given > 0)
            m_runData->ref_.fetchAndSubOrdered(m_given);
        m_given = 0;
        if (m_runHolder)
            std::destroy_at(m_runHolder);
        m_runHolder = nullptr;
        m_runData = nullptr;
    }

    QArrayData *m_runData = nullptr;
    ResString *m_runHolder = nullptr;
    int m_given = 0;
};

} // namespace

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
    releaseAll();
}

void ResStrings::addChunk(std::size_t capacity)
{
    auto *storage = static_cast<ResString *>(allocateLarge(capacity * sizeof(ResString)));
    m_chunks.push_back(Chunk{storage, 0, capacity});
}

ResString *ResStrings::newEntry()
{
    if (m_chunks.empty() || m_chunks.back().used == m_chunks.back().capacity)
        addChunk(std::max(kFirstChunk, std::size_t(m_count)));
    Chunk &chunk = m_chunks.back();
    ResString *entry = new (chunk.entries + chunk.used) ResString;
    ++chunk.used;
    entry->m_pooled = 1;
    return entry;
}

// Ends an entry's life in the collection. One of our own chunk stays in place,
// emptied, until the chunk goes.
void ResStrings::release(ResString *entry)
{
    if (entry->m_pooled) {
        entry->m_text = QString();
        entry->m_owner = nullptr;
    } else {
        delete entry;
        --m_ownHeapEntries;
    }
}

void ResStrings::releaseAll()
{
    for (const Slot &slot : m_slots) {
        if (m_ownHeapEntries == 0)
            break;
        if (slot.entry && !slot.entry->m_pooled) {
            delete slot.entry;
            --m_ownHeapEntries;
        }
    }
    for (const Chunk &chunk : m_chunks) {
        {
            EntryReleaser releaser;
            for (std::size_t i = 0; i < chunk.used; ++i)
                releaser.release(chunk.entries + i, chunk.entries[i].m_text);
        }
        freeLarge(chunk.entries, chunk.capacity * sizeof(ResString));
    }
    m_slots.clear();
    m_chunks.clear();
    m_ownHeapEntries = 0;
}

ResString *ResStrings::append(ResString *entry)
{
    entry->m_owner = this;
    entry->m_slot = m_slots.size();
    m_slots.push_back(Slot{m_nextSeq++, entry});
    ++m_count;
    index(entry);
    m_changed = true;
    m_languagesValid = false;
    return entry;
}

ResString *ResStrings::Add(std::unique_ptr<ResString> owned)
{
    if (!owned)
        return nullptr;
    ++m_ownHeapEntries;
    return append(owned.release());
}

ResString *ResStrings::Add(qint32 localeId, qint32 id, QString text)
{
    ResString *entry = newEntry();
    entry->m_localeId = localeId;
    entry->m_id = id;
    entry->m_text = std::move(text);
    return append(entry);
}

qm::Status ResStrings::Remove(ResString *entry)
{
    if (!entry || entry->m_owner != this)
        return qm::makeError(QStringLiteral("The string entry to remove does not belong to this resource file."));
    unindex(entry);
    m_slots[std::size_t(entry->m_slot)].entry = nullptr;
    release(entry);
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
    releaseAll();
    m_index.clear();
    m_extra.clear();
    m_count = 0;
    ++m_layout;
    m_changed = true;
    m_languagesValid = false;
}

void ResStrings::reserve(qsizetype count)
{
    if (count <= m_count)
        return;
    const std::size_t more = std::size_t(count - m_count);
    m_slots.reserve(m_slots.size() + more);
    m_index.reserve(std::size_t(count));
    if (m_chunks.empty() || m_chunks.back().capacity - m_chunks.back().used < more)
        addChunk(std::max(kFirstChunk, more));
}

ResString *ResStrings::Find(qint32 localeId, qint32 id) const
{
    return m_index.find(localeId, id);
}

QList<qint32> ResStrings::Languages() const
{
    if (!m_languagesValid) {
        m_languages.clear();
        QSet<qint32> seen;
        qint32 last = 0;
        for (const Slot &slot : m_slots) {
            if (!slot.entry)
                continue;
            const qint32 locale = slot.entry->m_localeId;
            if ((m_languages.isEmpty() || locale != last) && !seen.contains(locale)) {
                seen.insert(locale);
                m_languages.append(locale);
            }
            last = locale;
        }
        m_languagesValid = true;
    }
    return m_languages;
}

void ResStrings::index(ResString *entry)
{
    ResString *holder = m_index.insert(entry->m_localeId, entry->m_id, entry);
    if (!holder)
        return;
    ++m_extra[key(*entry)];
    // Slots are in entry order, so the earlier entry has the lower slot.
    if (entry->m_slot < holder->m_slot)
        m_index.set(entry->m_localeId, entry->m_id, entry);
}

void ResStrings::unindex(ResString *entry)
{
    const quint64 k = key(*entry);
    auto extra = m_extra.find(k);
    if (extra == m_extra.end()) {
        m_index.erase(entry->m_localeId, entry->m_id);
        return;
    }
    if (--extra.value() == 0)
        m_extra.erase(extra);
    if (m_index.find(entry->m_localeId, entry->m_id) != entry)
        return;
    // Rare: hand the key to the earliest other entry that has it.
    for (const Slot &slot : m_slots) {
        if (slot.entry && slot.entry != entry && key(*slot.entry) == k) {
            m_index.set(entry->m_localeId, entry->m_id, slot.entry);
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
            slot.entry->m_slot = out;
            m_slots[out++] = slot;
        }
    }
    m_slots.resize(out);
    ++m_layout;
}

} // namespace resutil
