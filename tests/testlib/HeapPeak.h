#pragma once

// The most heap held at once while some work runs, counted through
// AddressSanitizer's hooks in the sanitizer build; glibc's counters give only
// what is held now (HeapInUse.h).

#include <QtGlobal>

#include <atomic>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*onAllocation)(const volatile void *, std::size_t),
                                              void (*onRelease)(const volatile void *));
std::size_t __sanitizer_get_allocated_size(const volatile void *memory);
}
#endif

namespace testlib {

#if defined(__SANITIZE_ADDRESS__)
namespace heappeak {
inline std::atomic<qint64> now{0}, peak{0};

inline void countAllocation(const volatile void *, std::size_t size)
{
    const qint64 held = now.fetch_add(qint64(size)) + qint64(size);
    qint64 highest = peak.load();
    while (held > highest && !peak.compare_exchange_weak(highest, held)) {
    }
}

inline void countRelease(const volatile void *memory)
{
    now.fetch_sub(qint64(__sanitizer_get_allocated_size(memory)));
}
} // namespace heappeak
#endif

// The most heap held at once while work runs, above what was held before;
// -1 where the allocations cannot be counted.
template <typename Work>
qint64 heapPeakDuring(Work &&work)
{
#if defined(__SANITIZE_ADDRESS__)
    static const bool installed =
        __sanitizer_install_malloc_and_free_hooks(heappeak::countAllocation, heappeak::countRelease) != 0;
    if (installed) {
        const qint64 before = heappeak::now.load();
        heappeak::peak = before;
        work();
        return heappeak::peak.load() - before;
    }
#endif
    work();
    return -1;
}

} // namespace testlib
