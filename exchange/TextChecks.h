#pragma once

#include <QString>

namespace exchange {

// The position of the first unpaired surrogate of text, or -1.
qsizetype unpairedSurrogateAt(const QString &text);
// The position of the first character that XML 1.0 cannot hold (a control
// character other than tab, line feed and carriage return, U+FFFE, U+FFFF,
// an unpaired surrogate), or -1.
qsizetype nonXmlCharacterAt(const QString &text);
// "U+0001" for the unit at position i.
QString unitName(const QString &text, qsizetype i);
// The start of a long text, for messages.
QString excerptOf(const QString &text);

} // namespace exchange
