#pragma once

#include <QByteArrayView>

#include <cstdint>

namespace qm {

// XXH64 (seed 0), the hash xxhsum -H1 prints: fast enough to fingerprint a
// whole resource file as it is written, and to tell texts apart.
class Xxh64 {
public:
    void add(QByteArrayView bytes);
    std::uint64_t digest() const;

    static std::uint64_t of(QByteArrayView bytes);

private:
    std::uint64_t m_lanes[4] = {0x9E3779B185EBCA87ull + 0xC2B2AE3D27D4EB4Full, 0xC2B2AE3D27D4EB4Full, 0,
                                0 - 0x9E3779B185EBCA87ull};
    unsigned char m_pending[32] = {};
    int m_pendingSize = 0;
    std::uint64_t m_total = 0;
};

} // namespace qm
