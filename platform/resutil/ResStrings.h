#pragma once

#include "platform/common/Result.h"
#include "platform/resutil/EntryIndex.h"
#include "platform/resutil/LargeAllocation.h"
#include "platform/resutil/ResString.h"

#include <QHash>
#include <QList>
#include <QStringView>

#include <iterator>
#include <memory>
#include <vector>

namespace resutil {

// The string entries of a resource file, flat, in a stable order (the order in
// which they were added; a loaded file gives them sorted by locale ID, then
// string ID). Find is a hash lookup.
//
// Enumeration visits every entry once. Removing entries (the current one or
// any other) while enumerating is safe: every entry not removed is still
// visited exactly once. Entries added while enumerating are visited at the end.
//
// The texts of a loaded file stay where the file's bytes were read to, and an
// entry object is made only when one is asked for (by enumeration or Find);
// Peek reads an entry without making one. Making one changes the collection's
// storage, so even a const collection must not be read from two threads at once.
class ResStrings {
public:
    // While an iterator lives the slots never move (see compact).
    class Iterator {
    public:
        using value_type = ResString *;
        using difference_type = std::ptrdiff_t;
        Iterator(const Iterator &other);
        Iterator &operator=(const Iterator &other);
        ~Iterator();
        ResString *operator*() const;
        Iterator &operator++();
        bool operator==(std::default_sentinel_t) const;

    private:
        friend class ResStrings;
        Iterator(const ResStrings *owner);
        void settle();
        const ResStrings *m_owner = nullptr;
        std::size_t m_index = 0;
        quint64 m_layout = 0;
    };

    // An entry's keys and text, valid while the collection does not change.
    struct Peeked {
        qint32 localeId;
        qint32 id;
        QStringView text;
        qsizetype position; // for TextAt
    };

    ResStrings() = default;
    ~ResStrings();
    ResStrings(const ResStrings &) = delete;
    ResStrings &operator=(const ResStrings &) = delete;

    Iterator begin() const { return Iterator(this); }
    std::default_sentinel_t end() const { return {}; }

    qsizetype Count() const { return m_count; }
    // Appends the entry and takes ownership; returns it (nullptr for a null entry).
    ResString *Add(std::unique_ptr<ResString> entry);
    ResString *Add(qint32 localeId, qint32 id, QString text);
    // Removes and deletes the entry; fails for an entry of another collection.
    qm::Status Remove(ResString *entry);
    void Clear();
    void reserve(qsizetype count);
    // The entry with both keys, or nullptr. With several such entries, the
    // earliest added.
    ResString *Find(qint32 localeId, qint32 id) const;
    // The text of that entry without making an entry object (shared, not
    // copied); null when there is none.
    QString TextOf(qint32 localeId, qint32 id) const;
    // The same as a view, valid while the collection does not change: for scans.
    QStringView TextViewOf(qint32 localeId, qint32 id) const;
    // Distinct locale IDs of the current entries, in order of first occurrence.
    QList<qint32> Languages() const;

    // Calls visit(const Peeked &) for every entry in order, making no entry
    // objects: for passes that only read. visit must not change the collection.
    template <typename Visit>
    void Peek(Visit &&visit) const
    {
        for (std::size_t i = 0; i < m_slots.size(); ++i)
            if (m_slots[i].live())
                visit(peekAt(i));
    }
    // The text of the entry at a position Peek gave, while nothing changed since
    // (sharing the loaded file's buffer, not copied).
    QString TextAt(qsizetype position) const;
    // The entry at a position Peek gave, read the same way, while nothing changed since.
    Peeked PeekAt(qsizetype position) const { return peekAt(std::size_t(position)); }

    // For loading: texts added with AddStored lie in buffer, which the
    // collection keeps from now on (a QString over the file's bytes, each text
    // followed by a null). Replaces an earlier buffer; entries of that keep theirs.
    void adoptBuffer(QString buffer);
    // Appends an entry whose text is size units at offset in the adopted
    // buffer; the null after it must be there before the text is read.
    void AddStored(quint16 localeId, quint16 id, qsizetype offset, qsizetype size);
    // The adopted buffer (shared, not copied): a text whose characters lie in
    // it at the place they were read to is still the text as read.
    const QString &LoadedBuffer() const { return m_buffer; }
    // Changes whenever the buffer is replaced or let go: a later buffer at
    // the same address is still another buffer.
    quint64 BufferSerial() const { return m_bufferSerial; }

    bool Changed() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }

    // Keeps the strings as they stand now (say, the file as last read or
    // written) at the cost of the cells changed since: from here on, the first
    // change to a cell records the text it had, null for none. changedSince
    // names cells that differ from that moment already, with their texts then.
    void KeepTextsFromNow(QHash<quint64, QString> changedSince = {});
    // Reading the file anew does this too.
    void StopKeepingTexts();
    bool KeepingTexts() const { return m_keeping; }
    // The text then of each cell changed since (keys as KeyOf makes them).
    const QHash<quint64, QString> &KeptTexts() const { return m_kept; }
    // Drops the kept texts of cells that hold them again, after a rebuild.
    void ForgetKeptTextsUnchanged();
    static quint64 KeyOf(qint32 localeId, qint32 id) { return (quint64(quint32(localeId)) << 32) | quint32(id); }

private:
    friend class ResString;
    // One entry in entry order, in eight bytes: its object once there is one
    // (null once removed), else, marked by the lowest bit, where its text
    // lies in the buffer (31 bits, in UTF-16 units) and its keys. The text
    // ends at the null after it (texts holding a null get an object at once).
    class Slot {
    public:
        static Slot opened(ResString *entry) { return Slot(quint64(reinterpret_cast<quintptr>(entry))); }
        static Slot stored(quint32 offset, quint16 localeId, quint16 id)
        {
            return Slot(1 | (quint64(offset) << 1) | (quint64(localeId) << 32) | (quint64(id) << 48));
        }
        static constexpr quint32 kMaxOffset = 0x7FFFFFFFu;
        bool live() const { return m_bits != 0; }
        bool unopened() const { return m_bits & 1; }
        ResString *entry() const { return unopened() ? nullptr : reinterpret_cast<ResString *>(quintptr(m_bits)); }
        quint32 offset() const { return quint32(m_bits) >> 1; }
        quint16 localeId() const { return quint16(m_bits >> 32); }
        quint16 id() const { return quint16(m_bits >> 48); }

    private:
        explicit Slot(quint64 bits) : m_bits(bits) {}
        quint64 m_bits;
    };
    static_assert(sizeof(Slot) == 8);
    // Entries the collection creates itself are carved out of chunks, which
    // never move: a loaded file costs a few allocations, not one per entry.
    struct Chunk {
        ResString *entries;
        std::size_t used;
        std::size_t capacity;
    };
    ResString *open(std::size_t position) const;
    QStringView storedView(Slot slot) const;
    QString storedText(Slot slot) const;
    Peeked peekAt(std::size_t position) const;
    qint32 localeAt(std::size_t position) const;
    quint64 keyAt(std::size_t position) const;
    ResString *newEntry() const;
    void addChunk(std::size_t capacity) const;
    void release(ResString *entry);
    void releaseAll();
    ResString *append(ResString *entry);
    void index(qint32 localeId, qint32 id, std::size_t position);
    void unindex(qint32 localeId, qint32 id, std::size_t position);
    void rekey(ResString *entry, qint32 localeId, qint32 id);
    void compact();
    void keepText(qint32 localeId, qint32 id)
    {
        if (m_keeping)
            keepTextOnce(KeyOf(localeId, id), localeId, id);
    }
    void keepTextOnce(quint64 key, qint32 localeId, qint32 id);

    // Changed only where an entry object is made on request, which is not a
    // change of the collection.
    mutable std::vector<Slot, LargeAllocator<Slot>> m_slots;
    mutable std::vector<Chunk> m_chunks;
    QString m_buffer;
    EntryIndex m_index;
    QHash<quint64, int> m_extra; // keys held by more than one entry: how many more
    qsizetype m_count = 0;
    qsizetype m_ownHeapEntries = 0; // live entries handed to Add one by one
    quint64 m_bufferSerial = 0;
    quint64 m_layout = 0; // bumped whenever slots move
    mutable int m_iterators = 0;
    bool m_changed = false;
    bool m_keeping = false;
    QHash<quint64, QString> m_kept;
    mutable QList<qint32> m_languages;
    mutable bool m_languagesValid = true;
};

} // namespace resutil
