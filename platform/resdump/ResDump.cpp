#include "platform/resdump/ResDump.h"

#include "platform/resdump/EscapeUtf16.h"
#include "platform/resdump/Sha256.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace resdump {

namespace {

constexpr std::size_t kMinHeaderSize = 32; // sizes, ordinal type and name, fields
constexpr std::uint16_t kStringTableType = 6;
constexpr int kStringsPerBlock = 16;

// A growing array of plain values on malloc.
template<typename T>
class Plain {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    ~Plain() { std::free(m_items); }
    bool push(const T &item)
    {
        if (m_size == m_capacity) {
            const std::size_t capacity = m_capacity ? 2 * m_capacity : 64;
            auto *grown = static_cast<T *>(std::realloc(m_items, capacity * sizeof(T)));
            if (!grown)
                return false;
            m_items = grown;
            m_capacity = capacity;
        }
        m_items[m_size++] = item;
        return true;
    }
    T *begin() { return m_items; }
    T *end() { return m_items + m_size; }

private:
    T *m_items = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

std::uint16_t u16(const unsigned char *p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t u32(const unsigned char *p) { return std::uint32_t(u16(p)) | std::uint32_t(u16(p + 2)) << 16; }
std::size_t alignTo4(std::size_t value) { return (value + 3) & ~std::size_t(3); }

// A type or name: an ordinal, or the UTF-16 units at offset (without their zero).
struct Name {
    bool isString;
    std::uint16_t ordinal;
    std::size_t offset;
    std::size_t units;
};

struct Entry {
    Name type;
    Name name;
    std::uint16_t language;
    std::size_t dataOffset;
    std::uint32_t dataSize;
};

struct Block {
    std::uint32_t key; // language << 16 | table name
    std::size_t dataOffset;
    std::uint32_t dataSize;
};

// Reads a type or name field from [at, end); moves at past it.
bool readName(const unsigned char *bytes, std::size_t &at, std::size_t end, Name &out)
{
    if (end - at < 2)
        return false;
    const std::uint16_t first = u16(bytes + at);
    if (first == 0xFFFF) {
        if (end - at < 4)
            return false;
        out = Name{false, u16(bytes + at + 2), 0, 0};
        at += 4;
        return true;
    }
    const std::size_t begin = at;
    for (;;) {
        if (end - at < 2)
            return false;
        const std::uint16_t unit = u16(bytes + at);
        at += 2;
        if (unit == 0)
            break;
    }
    out = Name{true, 0, begin, (at - begin) / 2 - 1};
    return true;
}

// The header at offset, checked as the resource library checks it.
bool readHeader(const unsigned char *bytes, std::size_t size, std::size_t offset, Entry &entry, std::uint32_t &headerSize)
{
    if (size - offset < 8)
        return false;
    entry.dataSize = u32(bytes + offset);
    headerSize = u32(bytes + offset + 4);
    if (headerSize < kMinHeaderSize || headerSize > size - offset)
        return false;
    const std::size_t headerEnd = offset + headerSize;
    std::size_t at = offset + 8;
    if (!readName(bytes, at, headerEnd, entry.type) || !readName(bytes, at, headerEnd, entry.name))
        return false;
    const std::size_t fieldsAt = offset + alignTo4(at - offset);
    // Data version, memory flags, language, version, characteristics.
    if (fieldsAt > headerEnd || headerEnd - fieldsAt < 16)
        return false;
    entry.language = u16(bytes + fieldsAt + 6);
    entry.dataOffset = headerEnd;
    return entry.dataSize <= size - headerEnd;
}

// The little-endian units at p read in place, or null where they are not aligned.
const char16_t *inPlace(const unsigned char *p)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (reinterpret_cast<std::uintptr_t>(p) % alignof(char16_t) == 0)
        return reinterpret_cast<const char16_t *>(p);
#endif
    (void)p;
    return nullptr;
}

// The little-endian units at p, where they cannot be read in place.
const char16_t *copyUnits(const unsigned char *p, std::size_t count, char16_t *scratch)
{
    for (std::size_t i = 0; i < count; ++i)
        scratch[i] = char16_t(u16(p + 2 * i));
    return scratch;
}

char *putNumber(char *out, std::uint64_t value)
{
    char digits[20];
    int count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

char *putLiteral(char *out, const char *text)
{
    const std::size_t size = std::strlen(text);
    std::memcpy(out, text, size);
    return out + size;
}

class Writer {
public:
    Writer(const unsigned char *bytes, DumpForm form, DumpText &text) : m_bytes(bytes), m_json(form == DumpForm::Json), m_text(text) {}
    ~Writer() { std::free(m_scratch); }
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    bool literal(const char *text)
    {
        char *out = m_text.room(std::strlen(text));
        if (!out)
            return false;
        m_text.setEnd(putLiteral(out, text));
        return true;
    }

    bool string(std::uint16_t language, std::uint16_t id, const unsigned char *units, std::size_t count)
    {
        const char16_t *text = inPlace(units);
        if (!text) {
            // A string has at most 0xFFFF units.
            if (!m_scratch && !(m_scratch = static_cast<char16_t *>(std::malloc(2 * 0xFFFF))))
                return false;
            text = copyUnits(units, count, m_scratch);
        }
        char *out = m_text.room(kEscapedBytesPerUnit * count + 64);
        if (!out)
            return false;
        if (m_json) {
            out = putLiteral(out, m_first ? "[" : ", [");
            m_first = false;
            out = putNumber(out, language);
            out = putLiteral(out, ", ");
            out = putNumber(out, id);
            out = putLiteral(out, ", \"");
            out = putEscaped<true>(out, text, std::ptrdiff_t(count));
            out = putLiteral(out, "\"]");
        } else {
            out = putNumber(out, language);
            *out++ = '\t';
            out = putNumber(out, id);
            *out++ = '\t';
            out = putEscaped<false>(out, text, std::ptrdiff_t(count));
            *out++ = '\n';
        }
        m_text.setEnd(out);
        return true;
    }

    bool name(const Name &name)
    {
        if (!name.isString) {
            char *out = m_text.room(24);
            if (!out)
                return false;
            m_text.setEnd(putNumber(out, name.ordinal));
            return true;
        }
        // A name may be longer than any string; it is copied when it must be.
        char16_t *copy = nullptr;
        const unsigned char *units = m_bytes + name.offset;
        const char16_t *text = inPlace(units);
        if (!text) {
            copy = static_cast<char16_t *>(std::malloc(2 * name.units + 2));
            if (!copy)
                return false;
            text = copyUnits(units, name.units, copy);
        }
        char *out = m_text.room(kEscapedBytesPerUnit * name.units + 2);
        if (out) {
            *out++ = '"';
            out = putEscaped<true>(out, text, std::ptrdiff_t(name.units));
            *out++ = '"';
            m_text.setEnd(out);
        }
        std::free(copy);
        return out != nullptr;
    }

    bool resource(const Entry &entry, bool first)
    {
        if (!literal(first ? "{\"type\": " : ", {\"type\": ") || !name(entry.type) || !literal(", \"name\": ") ||
            !name(entry.name))
            return false;
        char *out = m_text.room(128);
        if (!out)
            return false;
        out = putLiteral(out, ", \"lang\": ");
        out = putNumber(out, entry.language);
        out = putLiteral(out, ", \"size\": ");
        out = putNumber(out, entry.dataSize);
        out = putLiteral(out, ", \"sha256\": \"");
        sha256Hex(m_bytes + entry.dataOffset, entry.dataSize, out);
        out = putLiteral(out + 64, "\"}");
        m_text.setEnd(out);
        return true;
    }

private:
    const unsigned char *m_bytes;
    bool m_json;
    bool m_first = true;
    DumpText &m_text;
    char16_t *m_scratch = nullptr;
};

// The 16 strings of a table, and nothing but zeros after them.
bool writeBlock(const unsigned char *bytes, const Block &block, Writer &writer)
{
    const std::uint16_t language = std::uint16_t(block.key >> 16);
    const int firstId = (int(block.key & 0xFFFF) - 1) * kStringsPerBlock;
    std::size_t at = block.dataOffset;
    const std::size_t end = block.dataOffset + block.dataSize;
    for (int i = 0; i < kStringsPerBlock; ++i) {
        if (end - at < 2)
            return false;
        const std::size_t length = u16(bytes + at);
        at += 2;
        if (length == 0)
            continue; // an absent string
        if (end - at < 2 * length)
            return false;
        if (!writer.string(language, std::uint16_t(firstId + i), bytes + at, length))
            return false;
        at += 2 * length;
    }
    return std::all_of(bytes + at, bytes + end, [](unsigned char c) { return c == 0; });
}

bool dump(const unsigned char *bytes, std::size_t size, DumpForm form, DumpText &text)
{
    if (size == 0)
        return false;
    // The file opens with the empty entry: no data, type 0 and name 0 as ordinals.
    Entry entry{};
    std::uint32_t headerSize = 0;
    if (!readHeader(bytes, size, 0, entry, headerSize) || entry.dataSize != 0 || headerSize != kMinHeaderSize ||
        entry.type.isString || entry.type.ordinal != 0 || entry.name.isString || entry.name.ordinal != 0)
        return false;
    Plain<Block> blocks;
    Plain<Entry> others;
    std::size_t offset = kMinHeaderSize;
    while (offset < size) {
        if (size - offset < 8 && std::all_of(bytes + offset, bytes + size, [](unsigned char c) { return c == 0; }))
            break; // padding after the last entry
        if (!readHeader(bytes, size, offset, entry, headerSize))
            return false;
        if (!entry.type.isString && entry.type.ordinal == kStringTableType && !entry.name.isString) {
            if (entry.name.ordinal == 0 || entry.name.ordinal > 4096)
                return false;
            if (!blocks.push(Block{std::uint32_t(entry.language) << 16 | entry.name.ordinal, entry.dataOffset, entry.dataSize}))
                return false;
        } else if (form == DumpForm::Json && !others.push(entry)) {
            return false;
        }
        offset = alignTo4(entry.dataOffset + entry.dataSize);
    }
    std::sort(blocks.begin(), blocks.end(), [](const Block &a, const Block &b) { return a.key < b.key; });
    if (std::adjacent_find(blocks.begin(), blocks.end(), [](const Block &a, const Block &b) { return a.key == b.key; }) !=
        blocks.end())
        return false; // a second table of one language and name

    Writer writer(bytes, form, text);
    if (form == DumpForm::Json && !writer.literal("{\"strings\": ["))
        return false;
    for (const Block &block : blocks) {
        if (!writeBlock(bytes, block, writer))
            return false;
    }
    if (form == DumpForm::Json) {
        if (!writer.literal("], \"resources\": ["))
            return false;
        bool first = true;
        for (const Entry &other : others) {
            if (!writer.resource(other, first))
                return false;
            first = false;
        }
        if (!writer.literal("]}\n"))
            return false;
    }
    return true;
}

} // namespace

DumpText::~DumpText()
{
    std::free(m_data);
}

char *DumpText::room(std::size_t bytes)
{
    if (m_capacity - m_size < bytes) {
        std::size_t capacity = std::max<std::size_t>(2 * m_capacity, std::size_t(1) << 16);
        while (capacity - m_size < bytes)
            capacity *= 2;
        auto *grown = static_cast<char *>(std::realloc(m_data, capacity));
        if (!grown)
            return nullptr;
        m_data = grown;
        m_capacity = capacity;
    }
    return m_data + m_size;
}

bool dumpRes(const unsigned char *bytes, std::size_t size, DumpForm form, DumpText &text) noexcept
{
    text.clear();
    // The text takes about as many bytes as the file's UTF-16.
    if (!text.room(size) || !dump(bytes, size, form, text)) {
        text.clear();
        return false;
    }
    return true;
}

} // namespace resdump
