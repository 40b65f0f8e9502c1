#pragma once

// What a resource file gives the memory: each string ID's source text with
// its translation in every other language of the file.

#include "memory/TranslationMemory.h"

#include <vector>

namespace resutil {
class ResStrings;
}

namespace memory {

// One entry per string ID and language with a text, paired with the ID's
// text in sourceLocale; file is recorded as their origin.
std::vector<Entry> entriesOf(const resutil::ResStrings &strings, qint32 sourceLocale, const QString &file);

// Reads a .res file and gives its entries against its default source
// language (English (United Kingdom) when it has it, else its first).
qm::Result<std::vector<Entry>> entriesOfResFile(const QString &path);

} // namespace memory
