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

private:
    char16_t *room(qsizetype units);

    QString m_block;
    qsizetype m_used = 0;
    qsizetype m_nextUnits = 0;
};

} // namespace excel::backend
