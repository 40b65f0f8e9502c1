#pragma once

namespace resdump {

// The largest resource file read: far beyond 65,536 string IDs in a hundred
// languages, well short of what would exhaust memory.
constexpr long long kMaxResFileBytes = 1LL << 30;

} // namespace resdump
