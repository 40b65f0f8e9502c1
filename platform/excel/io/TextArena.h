#pragma once

#include <QString>

#include <cstddef>

namespace excel::backend {

// The texts of a sheet's cells, decoded into large shared UTF-16 blocks: each
// text is a QString over its own range of a block, reference counted like any
// QString and followed by a null, so hundreds of thousands of cells cost no
// allocation each. A text changed later detaches as usual; a block goes once
// no text refers to it.
class TextArena {
public:
    // The text of an element's UTF-8 content (already checked to be well
    // formed), the format's escapes decoded: what textFromXml gives.
    QString fromXml(const char *utf8, std::size_t size);
    // The text of UTF-8 bytes as they are; `valid` tells whether they were
    // well formed (a bad sequence becomes U+FFFD).
    QString fromUtf8(const char *utf8, std::size_t size, bool *valid = nullptr);
    // A copy of text in the arena.
    QString copy(QStringView text);

private:
    char16_t *room(qsizetype units);

    QString m_block;
    qsizetype m_used = 0;
    qsizetype m_nextUnits = 0;
};

} // namespace excel::backend
