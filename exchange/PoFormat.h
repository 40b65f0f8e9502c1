#pragma once

#include "exchange/TranslationUnits.h"
#include "platform/common/Result.h"
#include "platform/excel/io/ByteSink.h"

#include <QByteArray>

namespace exchange {

// A gettext PO file in UTF-8: one entry per unit, msgctxt the string ID,
// msgid the source text, msgstr the translation (empty: not translated).
// The header names both locales. Refuses, naming the ID, a text PO cannot
// carry: a NUL character or an unpaired surrogate.
qm::Status writePo(const Translation &translation, excel::backend::ByteSink &out);

// Reads a PO file in UTF-8. Obsolete entries are not taken, fuzzy ones only
// with takeFuzzy (as msgfmt --use-fuzzy); a note counts those left out.
// Plural forms and other encodings are refused.
qm::Result<ReadTranslation> readPo(const QByteArray &bytes, bool takeFuzzy = false);

} // namespace exchange
