#pragma once

#include <cstddef>

namespace resdump {

// The SHA-256 digest of bytes[0, size) as 64 lower-case hexadecimal digits
// into hex (no terminating zero).
void sha256Hex(const unsigned char *bytes, std::size_t size, char hex[64]) noexcept;

} // namespace resdump
