#include "platform/common/Xxh64.h"

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

constexpr std::uint64_t P1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t P2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t P3 = 0x165667B19E3779F9ull;
constexpr std::uint64_t P4 = 0x85EBCA77C2B2AE63ull;
constexpr std::uint64_t P5 = 0x27D4EB2F165667C5ull;

inline std::uint64_t rotl(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

inline std::uint64_t read64(const unsigned char *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
#if Q_BYTE_ORDER == Q_BIG_ENDIAN
    v = __builtin_bswap64(v);
#endif
    return v;
}

inline std::uint32_t read32(const unsigned char *p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
#if Q_BYTE_ORDER == Q_BIG_ENDIAN
    v = __builtin_bswap32(v);
#endif
    return v;
}

inline std::uint64_t round(std::uint64_t acc, std::uint64_t input) { return rotl(acc + input * P2, 31) * P1; }

inline std::uint64_t merge(std::uint64_t acc, std::uint64_t lane) { return (acc ^ round(0, lane)) * P1 + P4; }

inline void stripe(std::uint64_t lanes[4], const unsigned char *p)
{
    lanes[0] = round(lanes[0], read64(p));
    lanes[1] = round(lanes[1], read64(p + 8));
    lanes[2] = round(lanes[2], read64(p + 16));
    lanes[3] = round(lanes[3], read64(p + 24));
}

} // namespace

void Xxh64::add(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    std::size_t left = std::size_t(bytes.size());
    m_total += left;
    if (m_pendingSize > 0) {
        const std::size_t taken = std::min<std::size_t>(left, std::size_t(32 - m_pendingSize));
        std::memcpy(m_pending + m_pendingSize, p, taken);
        m_pendingSize += int(taken);
        p += taken;
        left -= taken;
        if (m_pendingSize < 32)
            return;
        stripe(m_lanes, m_pending);
        m_pendingSize = 0;
    }
    for (; left >= 32; p += 32, left -= 32)
        stripe(m_lanes, p);
    std::memcpy(m_pending, p, left);
    m_pendingSize = int(left);
}

std::uint64_t Xxh64::digest() const
{
    std::uint64_t h;
    if (m_total >= 32) {
        h = rotl(m_lanes[0], 1) + rotl(m_lanes[1], 7) + rotl(m_lanes[2], 12) + rotl(m_lanes[3], 18);
        for (const std::uint64_t lane : m_lanes)
            h = merge(h, lane);
    } else {
        h = P5;
    }
    h += m_total;
    const unsigned char *p = m_pending;
    int left = m_pendingSize;
    for (; left >= 8; p += 8, left -= 8)
        h = rotl(h ^ round(0, read64(p)), 27) * P1 + P4;
    if (left >= 4) {
        h = rotl(h ^ (std::uint64_t(read32(p)) * P1), 23) * P2 + P3;
        p += 4;
        left -= 4;
    }
    for (; left > 0; ++p, --left)
        h = rotl(h ^ (*p * P5), 11) * P1;
    h ^= h >> 33;
    h *= P2;
    h ^= h >> 29;
    h *= P3;
    h ^= h >> 32;
    return h;
}

std::uint64_t Xxh64::of(QByteArrayView bytes)
{
    Xxh64 hash;
    hash.add(bytes);
    return hash.digest();
}

} // namespace qm
