#include "platform/resutil/KeyOrder.h"

#include <algorithm>

namespace resutil {

KeyOrder::KeyOrder(const ResStrings &strings, qsizetype end) : m_strings(strings), m_end(end)
{
    bool first = true;
    quint32 last = 0;
    strings.Peek([&](const ResStrings::Peeked &entry) {
        if (m_sorted || entry.text.isEmpty() || (end >= 0 && entry.position >= end))
            return;
        const quint32 key = keyOf(entry.localeId, entry.id);
        if (!first && key < last)
            m_sorted = true;
        first = false;
        last = key;
    });
    if (!m_sorted)
        return;
    m_order.reserve(std::size_t(strings.Count()));
    strings.Peek([&](const ResStrings::Peeked &entry) {
        if (!entry.text.isEmpty() && (end < 0 || entry.position < end))
            m_order.push_back(quint64(keyOf(entry.localeId, entry.id)) << 32 | quint64(entry.position));
    });
    // Key, then position: of one key, the earliest first.
    std::sort(m_order.begin(), m_order.end());
}

} // namespace resutil
