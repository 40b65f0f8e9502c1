#pragma once

#include "platform/common/Result.h"
#include "platform/resutil/ResResource.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

namespace resutil {

// Reads a .res file without building entries, for fast read-only passes over
// large files. onString gets every string, sorted by locale ID, then string
// ID; the view is valid only during the call. others, when given, receives the
// other resources in file order. Errors read like those of ResFile::Load, but
// strings handed out before a fault later in the file are not taken back.
qm::Status scanResFile(const QString &path, const std::function<void(quint16 localeId, quint16 id, QStringView text)> &onString,
                       QList<ResResource> *others = nullptr);

} // namespace resutil
