#pragma once

// A project or group file's bytes, read whole within a size no real one comes near.

#include "platform/common/Result.h"

#include <QByteArray>
#include <QString>

namespace vbide {

inline constexpr qint64 MaxProjectFileBytes = 10 * 1024 * 1024;

// `kind` names the file in messages: "project file", "project group".
qm::Result<QByteArray> readProjectFileBytes(const QString &absolutePath, const QString &kind);

} // namespace vbide
