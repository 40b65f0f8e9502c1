#pragma once

#include "platform/common/Result.h"
#include "platform/resutil/EntryIndex.h"
#include "platform/resutil/ResString.h"

#include <QHash>
#include <QList>

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
class ResStrings {
public:
    class Iterator {
    public:
        using value_type = ResString *;
        using difference_type = std::ptrdiff_t;
        ResString *operator*() const;
        Iterator &operator++();
        bool operator==(std::default_sentinel_t) const;

    private:
        friend class ResStrings;
        Iterator(const ResStrings *owner);
        void settle();
        const ResStrings *m_owner = nullptr;
        std::size_t m_index = 0;
        quint64 m_seq = 0;
        quint64 m_layout = 0;
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
    // Distinct locale IDs of the current entries, in order of first occurrence.
    QList<qint32> Languages() const;

    bool Changed() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }

private:
    friend class ResString;
    struct Slot {
        quint64 seq;
        ResString *entry; // null once removed
    };
    // Entries the collection creates itself are carved out of chunks, which
    // never move: a loaded file costs a few allocations, not one per entry.
    struct Chunk {
        ResString *entries;
        std::size_t used;
        std::size_t capacity;
    };
    ResString *newEntry();
    void addChunk(std::size_t capacity);
    void release(ResString *entry);
    void releaseAll();
    ResString *append(ResString *entry);
    void index(ResString *entry);
    void unindex(ResString *entry);
    void rekey(ResString *entry, qint32 localeId, qint32 id);
    void compact();

    std::vector<Slot> m_slots;
    std::vector<Chunk> m_chunks;
    EntryIndex m_index;
    QHash<quint64, int> m_extra; // keys held by more than one entry: how many more
    qsizetype m_count = 0;
    qsizetype m_ownHeapEntries = 0; // live entries handed to Add one by one
    quint64 m_nextSeq = 1;
    quint64 m_layout = 0; // bumped whenever slots move
    bool m_changed = false;
    mutable QList<qint32> m_languages;
    mutable bool m_languagesValid = true;
};

} // namespace resutil
