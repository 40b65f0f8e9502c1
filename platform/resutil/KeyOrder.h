#pragma once

#include "platform/resutil/ResStrings.h"

#include <vector>

namespace resutil {

// The entries of a collection that have a text, in the order of their keys
// (locale ID, then string ID), those of one key earliest first. A loaded or
// imported file gives them in that order already and costs nothing; any other
// costs 8 bytes per entry. Valid while the collection does not change.
class KeyOrder {
public:
    // Only the entries before position `end` (a Peeked position); -1: all.
    explicit KeyOrder(const ResStrings &strings, qsizetype end = -1);

    // The key the order is by: the locale above the string ID's 16 bits.
    static quint32 keyOf(qint32 localeId, qint32 id) { return quint32(localeId) << 16 | quint32(id & 0xFFFF); }

    // Calls visit(const ResStrings::Peeked &) for each entry in key order.
    template <typename Visit>
    void forEach(Visit &&visit) const
    {
        if (!m_sorted) {
            m_strings.Peek([&](const ResStrings::Peeked &entry) {
                if (!entry.text.isEmpty() && (m_end < 0 || entry.position < m_end))
                    visit(entry);
            });
            return;
        }
        for (const quint64 place : m_order)
            visit(m_strings.PeekAt(qsizetype(place & 0xFFFFFFFFu)));
    }

    // Whether the entries needed sorting.
    bool sorted() const { return m_sorted; }
    std::size_t heldBytes() const { return m_order.capacity() * sizeof(quint64); }

private:
    const ResStrings &m_strings;
    qsizetype m_end;
    bool m_sorted = false;
    std::vector<quint64> m_order; // key above position (a collection holds far fewer than 2^32 entries)
};

} // namespace resutil
