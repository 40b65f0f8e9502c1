#pragma once

#include "exchange/TranslationUnits.h"
#include "platform/common/Result.h"
#include "platform/excel/ByteSink.h"

#include <QByteArray>

namespace exchange {

// A gettext PO file in UTF-8: one entry per unit, msgctxt the string ID,
// msgid the source text, msgstr the translation (empty: not translated).
// The header names both locales. Refuses, naming the ID, a text PO cannot
// carry: a NUL character or an unpaired surrogate.
qm::Status writePo(const Translation &translation, excel::backend::ByteSink &out);

// Reads a PO file in UTF-8. Fuzzy and obsolete entries are not taken (a
// note says so); plural forms and other encodings are refused.
qm::Result<ReadTranslation> readPo(const QByteArray &bytes);

} // namespace exchange
