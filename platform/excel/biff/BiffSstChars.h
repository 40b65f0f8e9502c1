#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace excel::backend::biff {

// The characters of the shared strings side by side, as the table stores
// them: in an unnamed temporary file written through a small buffer, so that
// memory does not follow the texts. Where no such file can be made, they
// stay in memory.
class SstChars {
public:
    static constexpr std::size_t BufferBytes = std::size_t(64) << 10;

    SstChars();
    // Keeps the characters in `fd`, taken over; -1 keeps them in memory.
    explicit SstChars(int fd);
    // A file of its own holding the same characters.
    SstChars(const SstChars &other);
    SstChars(SstChars &&other) noexcept;
    SstChars &operator=(const SstChars &) = delete;
    ~SstChars();

    std::uint64_t size() const { return m_flushed + m_buffer.size(); }
    void append(const char *data, std::size_t n);
    // Whether the n bytes from `start` are `data`.
    bool equals(std::uint64_t start, const char *data, std::size_t n);
    // n bytes from `start` into out; false where they cannot be read back.
    bool read(std::uint64_t start, char *out, std::size_t n) const;
    // Why characters were lost (a write or read of the file failed), empty while none were.
    QString problem() const;
    bool onDisk() const { return m_fd >= 0; }
    std::size_t heldBytes() const { return m_buffer.capacity() + m_readBack.capacity(); }

private:
    void flush();

    int m_fd = -1;
    std::vector<char> m_buffer; // the characters from m_flushed on
    std::uint64_t m_flushed = 0;
    int m_writeError = 0;         // errno of a failed write
    mutable int m_readError = 0;  // errno of a failed read
    std::vector<char> m_readBack; // a string read back to compare
};

} // namespace excel::backend::biff
