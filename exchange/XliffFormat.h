#pragma once

#include "exchange/TranslationUnits.h"
#include "platform/common/Result.h"
#include "platform/excel/io/ByteSink.h"

#include <QByteArray>
#include <QString>

namespace exchange {

enum class XliffVersion { V20, V12 };

// An XLIFF document with one file, one unit per string ID (the ID in its id
// and in its name or resname), whitespace preserved. 2.0 writes characters
// XML cannot hold as <cp hex="..."/>; 1.2 has no way to, and such a text is
// refused, naming the string ID.
qm::Status writeXliff(const Translation &translation, XliffVersion version, excel::backend::ByteSink &out);

// Reads XLIFF 2.0 or 1.2 (told by the version attribute). No DOCTYPE and so
// no entity is read. Only each unit's own source and target count; inline
// markup gives its text.
qm::Result<ReadTranslation> readXliff(const QByteArray &bytes, const QString &path);

} // namespace exchange
