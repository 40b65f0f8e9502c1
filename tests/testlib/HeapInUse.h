#pragma once

// The bytes the heap holds now: the sanitizer's count in the sanitizer build,
// glibc's otherwise. Tests bound memory by differences of it.

#include <QtGlobal>

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace testlib {

inline qint64 heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
#endif
}

} // namespace testlib
