#include "platform/resutil/ResStrings.h"

#include "platform/resutil/LargeAllocation.h"

#include <QSet>

#include <algorithm>
#include <new>

namespace resutil {

namespace {

constexpr std::size_t kFirstChunk = 64;

quint64 key(qint32 localeId, qint32 id)
{
    return ResStrings::KeyOf(localeId, id);
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

static_assert(alignof(ResString) >= 2, "a slot tells an entry from a stored text by the pointer's lowest bit");

ResStrings::Iterator::Iterator(const ResStrings *owner) : m_owner(owner), m_layout(owner->m_layout)
{
    ++m_owner->m_iterators;
    settle();
}

ResStrings::Iterator::Iterator(const Iterator &other)
    : m_owner(other.m_owner), m_index(other.m_index), m_layout(other.m_layout)
{
    ++m_owner->m_iterators;
}

ResStrings::Iterator &ResStrings::Iterator::operator=(const Iterator &other)
{
    ++other.m_owner->m_iterators;
    --m_owner->m_iterators;
    m_owner = other.m_owner;
    m_index = other.m_index;
    m_layout = other.m_layout;
    return *this;
}

ResStrings::Iterator::~Iterator() { --m_owner->m_iterators; }

// Moves forward from m_index to the next live entry.
void ResStrings::Iterator::settle()
{
    const auto &all = m_owner->m_slots;
    while (m_index < all.size() && !all[m_index].live())
        ++m_index;
}

ResString *ResStrings::Iterator::operator*() const
{
    return m_owner->open(m_index);
}

ResStrings::Iterator &ResStrings::Iterator::operator++()
{
    if (m_layout != m_owner->m_layout) {
        // Cleared since: every entry there is now came after ours.
        m_index = 0;
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

void ResStrings::addChunk(std::size_t capacity) const
{
    auto *storage = static_cast<ResString *>(allocateLarge(capacity * sizeof(ResString)));
    m_chunks.push_back(Chunk{storage, 0, capacity});
}

ResString *ResStrings::newEntry() const
{
    if (m_chunks.empty() || m_chunks.back().used == m_chunks.back().capacity) {
        // Each chunk as large as all before it: few chunks, and at most half
        // of the room unused.
        std::size_t before = 0;
        for (const Chunk &chunk : m_chunks)
            before += chunk.capacity;
        addChunk(std::max(kFirstChunk, before));
    }
    Chunk &chunk = m_chunks.back();
    ResString *entry = new (chunk.entries + chunk.used) ResString;
    ++chunk.used;
    entry->m_pooled = 1;
    return entry;
}

// The entry object at position, made from the stored text on first request.
// Its text shares the buffer.
ResString *ResStrings::open(std::size_t position) const
{
    const Slot slot = m_slots[position];
    if (!slot.unopened())
        return slot.entry();
    ResString *entry = newEntry();
    entry->m_localeId = slot.localeId();
    entry->m_id = slot.id();
    entry->m_text = storedText(slot);
    entry->m_owner = const_cast<ResStrings *>(this);
    entry->m_slot = position;
    m_slots[position] = Slot::opened(entry);
    return entry;
}

// A stored text's range of the buffer: up to the null after it.
QStringView ResStrings::storedView(Slot slot) const
{
    const char16_t *start = reinterpret_cast<const char16_t *>(m_buffer.constData()) + slot.offset();
    return QStringView(start, QtPrivate::qustrlen(start)); // vectorised, unlike char_traits
}

// A stored text as a QString over its range of the buffer, which it shares.
QString ResStrings::storedText(Slot slot) const
{
    const QStringView text = storedView(slot);
    QString::DataPointer &buffer = const_cast<QString &>(m_buffer).data_ptr();
    buffer.d->ref_.ref();
    return QString(QString::DataPointer(buffer.d, const_cast<char16_t *>(text.utf16()), text.size()));
}

ResStrings::Peeked ResStrings::peekAt(std::size_t position) const
{
    const Slot slot = m_slots[position];
    if (slot.unopened())
        return Peeked{slot.localeId(), slot.id(), storedView(slot), qsizetype(position)};
    const ResString *entry = slot.entry();
    return Peeked{entry->m_localeId, entry->m_id, QStringView(entry->m_text), qsizetype(position)};
}

QString ResStrings::TextAt(qsizetype position) const
{
    const Slot slot = m_slots[std::size_t(position)];
    return slot.unopened() ? storedText(slot) : slot.entry()->m_text;
}

qint32 ResStrings::localeAt(std::size_t position) const
{
    const Slot slot = m_slots[position];
    return slot.unopened() ? slot.localeId() : slot.entry()->m_localeId;
}

quint64 ResStrings::keyAt(std::size_t position) const
{
    const Slot slot = m_slots[position];
    return slot.unopened() ? key(slot.localeId(), slot.id()) : key(slot.entry()->m_localeId, slot.entry()->m_id);
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
        if (ResString *entry = slot.entry(); entry && !entry->m_pooled) {
            delete entry;
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
    m_slots = decltype(m_slots)(); // its memory too: an emptied collection is refilled at its own size
    m_chunks.clear();
    m_buffer = QString();
    ++m_bufferSerial;
    m_ownHeapEntries = 0;
}

ResString *ResStrings::append(ResString *entry)
{
    keepText(entry->m_localeId, entry->m_id);
    entry->m_owner = this;
    entry->m_slot = m_slots.size();
    m_slots.push_back(Slot::opened(entry));
    ++m_count;
    index(entry->m_localeId, entry->m_id, std::size_t(entry->m_slot));
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

void ResStrings::adoptBuffer(QString buffer)
{
    // Entries still stored in the buffer before get objects of their own first.
    if (!m_buffer.isNull()) {
        for (std::size_t i = 0; i < m_slots.size(); ++i)
            open(i);
    }
    m_buffer = std::move(buffer);
    ++m_bufferSerial;
}

void ResStrings::AddStored(quint16 localeId, quint16 id, qsizetype offset, qsizetype size)
{
    Q_ASSERT(offset >= 0 && size >= 0 && offset + size < m_buffer.size());
    const QStringView text(m_buffer.constData() + offset, size);
    // A stored text ends at the null after it: one holding a null of its own,
    // or lying beyond what a slot can name, gets an object of its own.
    if (quint64(offset) > Slot::kMaxOffset || text.contains(QChar(0))) {
        Add(localeId, id, text.toString());
        return;
    }
    keepText(localeId, id);
    const std::size_t position = m_slots.size();
    m_slots.push_back(Slot::stored(quint32(offset), localeId, id));
    ++m_count;
    index(localeId, id, position);
    m_changed = true;
    m_languagesValid = false;
}

qm::Status ResStrings::Remove(ResString *entry)
{
    if (!entry || entry->m_owner != this)
        return qm::makeError(QStringLiteral("The string entry to remove does not belong to this resource file."));
    keepText(entry->m_localeId, entry->m_id);
    unindex(entry->m_localeId, entry->m_id, std::size_t(entry->m_slot));
    m_slots[std::size_t(entry->m_slot)] = Slot::opened(nullptr);
    release(entry);
    --m_count;
    m_changed = true;
    m_languagesValid = false;
    // Keep the slots at most half empty so enumeration stays linear; not
    // while an iterator lives, whose place would move.
    if (m_slots.size() > 64 && qsizetype(m_slots.size()) > 2 * m_count && m_iterators == 0)
        compact();
    return {};
}

void ResStrings::Clear()
{
    if (m_keeping)
        Peek([&](const Peeked &entry) { keepText(entry.localeId, entry.id); });
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
}

ResString *ResStrings::Find(qint32 localeId, qint32 id) const
{
    const std::size_t position = m_index.find(localeId, id);
    return position == EntryIndex::kNone ? nullptr : open(position);
}

QString ResStrings::TextOf(qint32 localeId, qint32 id) const
{
    const std::size_t position = m_index.find(localeId, id);
    return position == EntryIndex::kNone ? QString() : TextAt(qsizetype(position));
}

QStringView ResStrings::TextViewOf(qint32 localeId, qint32 id) const
{
    const std::size_t position = m_index.find(localeId, id);
    return position == EntryIndex::kNone ? QStringView() : peekAt(position).text;
}

QList<qint32> ResStrings::Languages() const
{
    if (!m_languagesValid) {
        m_languages.clear();
        QSet<qint32> seen;
        qint32 last = 0;
        for (std::size_t i = 0; i < m_slots.size(); ++i) {
            if (!m_slots[i].live())
                continue;
            const qint32 locale = localeAt(i);
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

void ResStrings::index(qint32 localeId, qint32 id, std::size_t position)
{
    const std::size_t holder = m_index.insert(localeId, id, position);
    if (holder == EntryIndex::kNone)
        return;
    ++m_extra[key(localeId, id)];
    // Slots are in entry order, so the earlier entry has the lower position.
    if (position < holder)
        m_index.set(localeId, id, position);
}

void ResStrings::unindex(qint32 localeId, qint32 id, std::size_t position)
{
    const quint64 k = key(localeId, id);
    auto extra = m_extra.find(k);
    if (extra == m_extra.end()) {
        m_index.erase(localeId, id);
        return;
    }
    if (--extra.value() == 0)
        m_extra.erase(extra);
    if (m_index.find(localeId, id) != position)
        return;
    // Rare: hand the key to the earliest other entry that has it.
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        if (i != position && m_slots[i].live() && keyAt(i) == k) {
            m_index.set(localeId, id, i);
            return;
        }
    }
}

void ResStrings::rekey(ResString *entry, qint32 localeId, qint32 id)
{
    keepText(entry->m_localeId, entry->m_id);
    keepText(localeId, id);
    unindex(entry->m_localeId, entry->m_id, std::size_t(entry->m_slot));
    entry->m_localeId = localeId;
    entry->m_id = id;
    index(localeId, id, std::size_t(entry->m_slot));
    m_changed = true;
    m_languagesValid = false;
}

void ResStrings::KeepTextsFromNow(QHash<quint64, QString> changedSince)
{
    m_kept = std::move(changedSince);
    m_keeping = true;
}

void ResStrings::StopKeepingTexts()
{
    m_kept = {};
    m_keeping = false;
}

void ResStrings::keepTextOnce(quint64 key, qint32 localeId, qint32 id)
{
    if (!m_kept.contains(key))
        m_kept.insert(key, TextOf(localeId, id));
}

void ResStrings::ForgetKeptTextsUnchanged()
{
    m_kept.removeIf([&](const QHash<quint64, QString>::iterator &kept) {
        const QStringView now = TextViewOf(qint32(kept.key() >> 32), qint32(quint32(kept.key())));
        return now == kept.value(); // an empty text is no cell either
    });
}

void ResStrings::compact()
{
    std::size_t out = 0;
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        const Slot slot = m_slots[i];
        if (!slot.live())
            continue;
        if (out != i) {
            const quint64 k = keyAt(i);
            const auto localeId = qint32(k >> 32);
            const auto id = qint32(quint32(k));
            if (m_index.find(localeId, id) == i)
                m_index.set(localeId, id, out);
            if (!slot.unopened())
                slot.entry()->m_slot = out;
        }
        m_slots[out++] = slot;
    }
    m_slots.erase(m_slots.begin() + qsizetype(out), m_slots.end());
    ++m_layout;
}

} // namespace resutil
