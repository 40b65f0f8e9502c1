#pragma once

#include <QStringView>

namespace reviewstate {

// The hash a state file keeps of a text: the low 32 bits of XXH64 (seed 0)
// over the text's UTF-16LE code units. It only has to tell whether a text
// changed, and is cheap enough for every cell of a large file.
quint32 textHash(QStringView text);

} // namespace reviewstate
