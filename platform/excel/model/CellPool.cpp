#include "platform/excel/model/CellPool.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace excel {

namespace {

constexpr std::size_t FirstBlock = std::size_t(16) << 10;
constexpr std::size_t HugePage = std::size_t(2) << 20;
constexpr std::size_t LastBlock = 4 * HugePage;
// Larger requests (a row of many thousand cells) are allocations of their own.
constexpr std::size_t MaxPooled = FirstBlock;
constexpr std::size_t Alignment = alignof(std::max_align_t);

} // namespace

CellPool::~CellPool()
{
    for (const Block &block : m_blocks)
        std::free(block.memory);
}

void *CellPool::allocate(std::size_t bytes)
{
    bytes = (bytes + Alignment - 1) & ~(Alignment - 1);
    if (bytes > MaxPooled)
        return ::operator new(bytes);
    if (auto it = m_released.find(bytes); it != m_released.end() && it->second) {
        void *memory = it->second;
        it->second = *static_cast<void **>(memory);
        return memory;
    }
    if (std::size_t(m_end - m_next) < bytes) {
        m_nextBlock = std::min(std::max(m_nextBlock * 2, FirstBlock), LastBlock);
        const bool huge = m_nextBlock >= HugePage;
        void *memory = std::aligned_alloc(huge ? HugePage : Alignment, m_nextBlock);
        if (!memory)
            throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        if (huge)
            madvise(memory, m_nextBlock, MADV_HUGEPAGE);
#endif
        m_blocks.push_back({static_cast<char *>(memory), m_nextBlock});
        m_next = static_cast<char *>(memory);
        m_end = m_next + m_nextBlock;
    }
    void *memory = m_next;
    m_next += bytes;
    return memory;
}

void CellPool::release(void *memory, std::size_t bytes)
{
    bytes = (bytes + Alignment - 1) & ~(Alignment - 1);
    if (bytes > MaxPooled) {
        ::operator delete(memory);
        return;
    }
    void *&first = m_released[bytes];
    *static_cast<void **>(memory) = first;
    first = memory;
}

} // namespace excel
