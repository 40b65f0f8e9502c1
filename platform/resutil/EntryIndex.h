#pragma once

#include <QtGlobal>

#include <cstdint>
#include <vector>

namespace resutil {

class ResString;

// Map from a 64-bit key to an entry: open addressing with linear probing, so a
// lookup touches one or two cache lines. QHash costs several times as much for
// the hundreds of thousands of entries of a large file.
class EntryIndex {
public:
    ResString *find(quint64 key) const
    {
        if (m_cells.empty())
            return nullptr;
        for (std::size_t i = home(key);; i = (i + 1) & m_mask) {
            const Cell &cell = m_cells[i];
            if (!cell.entry)
                return nullptr;
            if (cell.key == key)
                return cell.entry;
        }
    }

    // The slot for key, inserted empty (nullptr) when absent.
    ResString *&slot(quint64 key)
    {
        if ((m_size + 1) * 4 > m_cells.size() * 3)
            grow(m_size + 1);
        std::size_t i = home(key);
        while (m_cells[i].entry && m_cells[i].key != key)
            i = (i + 1) & m_mask;
        if (!m_cells[i].entry) {
            m_cells[i].key = key;
            ++m_size;
        }
        return m_cells[i].entry;
    }

    void erase(quint64 key)
    {
        if (m_cells.empty())
            return;
        std::size_t i = home(key);
        while (m_cells[i].entry && m_cells[i].key != key)
            i = (i + 1) & m_mask;
        if (!m_cells[i].entry)
            return;
        // Shift later cells of the probe run back so no lookup stops early.
        std::size_t hole = i;
        for (std::size_t j = (i + 1) & m_mask; m_cells[j].entry; j = (j + 1) & m_mask) {
            const std::size_t want = home(m_cells[j].key);
            const bool movable = hole <= j ? (want <= hole || want > j) : (want <= hole && want > j);
            if (movable) {
                m_cells[hole] = m_cells[j];
                hole = j;
            }
        }
        m_cells[hole] = Cell{};
        --m_size;
    }

    void reserve(std::size_t count)
    {
        if (count * 4 > m_cells.size() * 3)
            grow(count);
    }
    void clear()
    {
        m_cells.clear();
        m_mask = 0;
        m_size = 0;
    }

private:
    struct Cell {
        quint64 key = 0;
        ResString *entry = nullptr; // null: empty cell
    };

    std::size_t home(quint64 key) const
    {
        // Runs of 64 consecutive keys land in consecutive cells, so filling or
        // scanning entries in key order stays within the cache; the runs
        // themselves are spread by MurmurHash3's finaliser.
        quint64 run = key >> 6;
        run ^= run >> 33;
        run *= 0xff51afd7ed558ccdULL;
        run ^= run >> 33;
        run *= 0xc4ceb9fe1a85ec53ULL;
        run ^= run >> 33;
        return std::size_t(run + (key & 63)) & m_mask;
    }

    void grow(std::size_t count)
    {
        std::size_t capacity = 16;
        while (capacity * 3 < count * 4 + 4)
            capacity *= 2;
        std::vector<Cell> old = std::move(m_cells);
        m_cells.assign(capacity, Cell{});
        m_mask = capacity - 1;
        m_size = 0;
        for (const Cell &cell : old)
            if (cell.entry)
                slot(cell.key) = cell.entry;
    }

    std::vector<Cell> m_cells;
    std::size_t m_mask = 0;
    std::size_t m_size = 0;
};

} // namespace resutil
