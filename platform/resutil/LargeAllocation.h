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

} // namespace resutil
