#pragma once

#include "platform/resutil/LargeAllocation.h"

#include <QtGlobal>

#include <array>
#include <cstdint>
#include <vector>

namespace resutil {

// Map from (locale ID, string ID) to an entry's position among the
// collection's slots. IDs are grouped sixteen at a
// time, as a file's string tables group them: a small open-addressing table
// (linear probing, at most half full) finds the group, the group's array holds the positions. The
// 786,432 entries of 65,536 IDs in 12 languages make 49,152 groups, so a
// lookup stays within the cache where a table of every key would not.
class EntryIndex {
public:
    static constexpr std::size_t kNone = std::size_t(-1);

    // The position for the keys, or kNone.
    std::size_t find(qint32 localeId, qint32 id) const
    {
        const Cell *cell = findCell(groupKey(localeId, id));
        return cell ? std::size_t(m_groups[cell->group].positions[std::size_t(id) & 15]) - 1 : kNone;
    }

    // Makes position the one for its keys unless there is one: returns that
    // one, or kNone once position is in.
    std::size_t insert(qint32 localeId, qint32 id, std::size_t position)
    {
        quint32 &place = group(groupKey(localeId, id)).positions[std::size_t(id) & 15];
        if (place)
            return std::size_t(place) - 1;
        ++m_groups[m_lastGroup].used;
        place = quint32(position + 1);
        return kNone;
    }

    // Makes position the one for its keys, in place of any other.
    void set(qint32 localeId, qint32 id, std::size_t position)
    {
        quint32 &place = group(groupKey(localeId, id)).positions[std::size_t(id) & 15];
        if (!place)
            ++m_groups[m_lastGroup].used;
        place = quint32(position + 1);
    }

    void erase(qint32 localeId, qint32 id)
    {
        const quint64 key = groupKey(localeId, id);
        const Cell *cell = findCell(key);
        if (!cell)
            return;
        const quint32 index = cell->group;
        Group &found = m_groups[index];
        quint32 &place = found.positions[std::size_t(id) & 15];
        if (!place)
            return;
        place = 0;
        if (--found.used == 0) {
            eraseCell(key);
            m_freeGroups.push_back(index);
            m_lastKey = kNoKey;
        }
    }

    // Room for the groups of that many entries; the table itself grows as
    // they come (a reservation may be far above what comes).
    void reserve(std::size_t entries) { m_groups.reserve(entries / 16 + 1); }

    // Gives the memory back: a collection emptied is mostly filled anew, at another size.
    void clear()
    {
        m_cells = decltype(m_cells)();
        m_groups = decltype(m_groups)();
        m_freeGroups = decltype(m_freeGroups)();
        m_mask = 0;
        m_cellsUsed = 0;
        m_lastKey = kNoKey;
    }

private:
    static constexpr quint32 kNoGroup = 0xFFFFFFFFu;
    static constexpr quint64 kNoKey = ~quint64(0); // above every group key
    struct Group {
        std::array<quint32, 16> positions{}; // position + 1; 0: none
        int used = 0;
    };
    struct Cell {
        quint64 key = 0;
        quint32 group = kNoGroup; // an empty cell
    };

    static quint64 groupKey(qint32 localeId, qint32 id) { return (quint64(quint32(localeId)) << 28) | (quint32(id) >> 4); }

    std::size_t home(quint64 key) const
    {
        // MurmurHash3's finaliser: neighbouring groups land far apart, so the
        // probe runs stay short.
        key ^= key >> 33;
        key *= 0xff51afd7ed558ccdULL;
        key ^= key >> 33;
        key *= 0xc4ceb9fe1a85ec53ULL;
        key ^= key >> 33;
        return std::size_t(key) & m_mask;
    }

    const Cell *findCell(quint64 key) const
    {
        if (m_cells.empty())
            return nullptr;
        for (std::size_t i = home(key);; i = (i + 1) & m_mask) {
            const Cell &cell = m_cells[i];
            if (cell.group == kNoGroup)
                return nullptr;
            if (cell.key == key)
                return &cell;
        }
    }

    // The group for key, created empty when absent; m_lastGroup is its index.
    // Entries mostly come sixteen to a group, one after the other, so the
    // group of the last call is kept at hand.
    Group &group(quint64 key)
    {
        if (key == m_lastKey)
            return m_groups[m_lastGroup];
        if ((m_cellsUsed + 1) * 2 > m_cells.size())
            grow(m_cellsUsed + 1);
        std::size_t i = home(key);
        while (m_cells[i].group != kNoGroup && m_cells[i].key != key)
            i = (i + 1) & m_mask;
        if (m_cells[i].group == kNoGroup) {
            quint32 index;
            if (!m_freeGroups.empty()) {
                index = m_freeGroups.back();
                m_freeGroups.pop_back();
                m_groups[index] = Group{};
            } else {
                index = quint32(m_groups.size());
                m_groups.emplace_back();
            }
            m_cells[i] = Cell{key, index};
            ++m_cellsUsed;
        }
        m_lastGroup = m_cells[i].group;
        m_lastKey = key;
        return m_groups[m_lastGroup];
    }

    void eraseCell(quint64 key)
    {
        std::size_t i = home(key);
        while (m_cells[i].key != key)
            i = (i + 1) & m_mask;
        // Shift later cells of the probe run back so no lookup stops early.
        std::size_t hole = i;
        for (std::size_t j = (i + 1) & m_mask; m_cells[j].group != kNoGroup; j = (j + 1) & m_mask) {
            const std::size_t want = home(m_cells[j].key);
            const bool movable = hole <= j ? (want <= hole || want > j) : (want <= hole && want > j);
            if (movable) {
                m_cells[hole] = m_cells[j];
                hole = j;
            }
        }
        m_cells[hole] = Cell{};
        --m_cellsUsed;
    }

    void grow(std::size_t count)
    {
        std::size_t capacity = 16;
        while (capacity < count * 2)
            capacity *= 2;
        std::vector<Cell> old = std::move(m_cells);
        m_cells.assign(capacity, Cell{});
        m_mask = capacity - 1;
        for (const Cell &cell : old) {
            if (cell.group == kNoGroup)
                continue;
            std::size_t i = home(cell.key);
            while (m_cells[i].group != kNoGroup)
                i = (i + 1) & m_mask;
            m_cells[i] = cell;
        }
    }

    std::vector<Cell> m_cells;
    std::vector<Group, LargeAllocator<Group>> m_groups;
    std::vector<quint32> m_freeGroups;
    std::size_t m_mask = 0;
    std::size_t m_cellsUsed = 0;
    quint32 m_lastGroup = 0;
    quint64 m_lastKey = kNoKey;
};

} // namespace resutil
