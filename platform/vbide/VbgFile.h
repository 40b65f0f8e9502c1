#pragma once

// A .vbg project group: the project files it lists, in order.

#include "platform/common/Result.h"

#include <QString>
#include <QStringList>

namespace vbide {

struct VbgFile {
    QString fileName;
    QStringList projects;   // resolved absolute paths, the start-up project among them
    QString startupProject; // empty when the group names none
    QStringList warnings;   // listed projects that were not found

    static qm::Result<VbgFile> read(const QString &fileName, const QByteArray &codePage = "windows-1252");
};

} // namespace vbide
