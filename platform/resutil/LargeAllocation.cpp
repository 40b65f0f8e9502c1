#include "platform/resutil/LargeAllocation.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace resutil {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kPage = 4096;

} // namespace

void *allocateLarge(std::size_t bytes)
{
    if (bytes < kHugePage)
        return ::operator new(bytes);
    const std::size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    void *memory = std::aligned_alloc(kHugePage, rounded);
    if (!memory)
        throw std::bad_alloc();
    adviseHugePages(memory, rounded);
    return memory;
}

void freeLarge(void *memory, std::size_t bytes)
{
    if (bytes < kHugePage)
        ::operator delete(memory);
    else
        std::free(memory);
}

void adviseHugePages(void *memory, std::size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const auto begin = (reinterpret_cast<std::uintptr_t>(memory) + kPage - 1) & ~std::uintptr_t(kPage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(memory) + bytes) & ~std::uintptr_t(kPage - 1);
    if (bytes >= kHugePage && end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)memory;
    (void)bytes;
#endif
}

} // namespace resutil
