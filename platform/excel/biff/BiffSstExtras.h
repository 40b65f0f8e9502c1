#pragma once

#include <QByteArray>

namespace excel::backend::biff {

// What a shared string holds beyond its characters, as the file has it:
// formatting runs (4 bytes each) and the phonetic block.
struct SstExtras {
    QByteArray runs, phonetic;
    bool empty() const { return runs.isEmpty() && phonetic.isEmpty(); }
};

} // namespace excel::backend::biff
