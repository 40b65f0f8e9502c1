#pragma once

// What translators leave as it is in a text: the & access key, placeholders,
// a trailing colon or ellipsis, leading and trailing spaces and the case of
// the first letter. The memory compares texts without them and puts them back
// on what it suggests.

#include "checks/Placeholders.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace memory {

enum class LetterCase : quint8 { None, Lower, Upper };

struct TextShape {
    QString key;          // what is compared: body with each placeholder as one mark and its first letter in lower case
    QString body;         // the text as written, without its access key, edges and suffix
    QString leading, trailing; // spaces at the edges
    QString suffix;       // ":", "...", "…", with the spaces before it
    qsizetype accessAt = -1; // the & stood before body[accessAt]
    LetterCase firstCase = LetterCase::None;
    QList<checks::Placeholder> placeholders; // in body, in text order, without %%
};

TextShape shapeOf(QStringView text);

// The stored translation of storedSource, changed for a text of shape
// wanted: the placeholders, access key, suffix, edges and first letter's case
// wanted has where storedSource had others. "&Open..." and a stored
// "Open" = "Öffnen" give "&Öffnen...".
QString carryOver(const TextShape &wanted, QStringView storedSource, QStringView storedTarget);

} // namespace memory
