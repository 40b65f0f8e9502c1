#pragma once

#include <cstddef>

namespace resdump {

enum class DumpForm { Lines, Json };

// The bytes of a dump, held by malloc: the program that links this library
// has no C++ library.
class DumpText {
public:
    DumpText() = default;
    ~DumpText();
    DumpText(const DumpText &) = delete;
    DumpText &operator=(const DumpText &) = delete;

    const char *data() const { return m_data; }
    std::size_t size() const { return m_size; }

    // Room for at least bytes more at end(); null when memory runs out.
    char *room(std::size_t bytes);
    char *end() { return m_data + m_size; }
    void setEnd(char *end) { m_size = std::size_t(end - m_data); }
    void clear() { m_size = 0; }

private:
    char *m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// What "quillmark dump" prints for the .res file bytes[0, size), into text:
// Lines: LOCALE<TAB>ID<TAB>TEXT a string, sorted by locale ID, then string ID;
// Json: {"strings": [[locale, id, "text"], ...], "resources": [{"type": 3,
// "name": 1, "lang": 1033, "size": 744, "sha256": "..."}, ...]}, the other
// resources in file order.
// It takes exactly the files the resource library's reader takes. False, with
// text empty, for any other, and when memory runs out: the reasons are the
// resource library's to give.
bool dumpRes(const unsigned char *bytes, std::size_t size, DumpForm form, DumpText &text) noexcept;

} // namespace resdump
