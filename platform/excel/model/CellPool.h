#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

namespace excel {

// Memory for the rows of one sheet: taken from large blocks in turn rather
// than one allocation a row, so a sheet of hundreds of thousands of cells is
// laid out in a few blocks that are cheap to fill (huge pages where the
// system has them). A row's memory given back is kept for the next row of
// the same size; the blocks go with the pool.
class CellPool {
public:
    CellPool() = default;
    CellPool(const CellPool &) = delete;
    CellPool &operator=(const CellPool &) = delete;
    ~CellPool();

    void *allocate(std::size_t bytes);
    void release(void *memory, std::size_t bytes);

private:
    struct Block {
        char *memory;
        std::size_t size;
    };
    std::vector<Block> m_blocks;
    char *m_next = nullptr, *m_end = nullptr;
    std::size_t m_nextBlock = 0;
    std::unordered_map<std::size_t, void *> m_released; // size -> first of a list threaded through them
};

// The allocator of a row: all rows of a sheet share its pool.
template <typename T>
struct PoolAllocator {
    using value_type = T;
    explicit PoolAllocator(CellPool *pool) : pool(pool) {}
    template <typename U>
    PoolAllocator(const PoolAllocator<U> &other) : pool(other.pool) {}
    T *allocate(std::size_t count) { return static_cast<T *>(pool->allocate(count * sizeof(T))); }
    void deallocate(T *memory, std::size_t count) { pool->release(memory, count * sizeof(T)); }
    friend bool operator==(const PoolAllocator &a, const PoolAllocator &b) { return a.pool == b.pool; }

    CellPool *pool;
};

} // namespace excel
