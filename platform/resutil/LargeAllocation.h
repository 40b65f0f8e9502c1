#pragma once

#include <cstddef>

namespace resutil {

// Memory for tens of megabytes filled at once (a loaded file's entries, its
// texts): backed by huge pages where the system offers them, which makes
// first touching it several times cheaper. Contents are uninitialised.
void *allocateLarge(std::size_t bytes);
void freeLarge(void *memory, std::size_t bytes);

// Asks for huge pages over the whole pages within [memory, memory + bytes) of
// an allocation not yet touched; a hint that changes nothing else.
void adviseHugePages(void *memory, std::size_t bytes);

// For containers that may grow to such sizes.
template <typename T>
struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <typename U>
    LargeAllocator(const LargeAllocator<U> &) {}
    T *allocate(std::size_t count) { return static_cast<T *>(allocateLarge(count * sizeof(T))); }
    void deallocate(T *memory, std::size_t count) { freeLarge(memory, count * sizeof(T)); }
    friend bool operator==(const LargeAllocator &, const LargeAllocator &) { return true; }
};

} // namespace resutil
