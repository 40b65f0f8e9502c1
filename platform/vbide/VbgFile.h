#pragma once

// A .vbg project group: the project files it lists, in order.

#include "platform/common/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vbide {

struct VbgFile {
    QString fileName;
    QStringList projects;   // resolved absolute paths, the start-up project among them
    QString startupProject; // empty when the group names none
    QStringList warnings;   // listed projects that were not found; past ProblemList::Shown, a count and the first ones
    QByteArray codePage;    // the codec the group was read in

    // Reads the group in codePage; without one, in the code page it was
    // written in (detectCodePage over the projects it lists).
    static qm::Result<VbgFile> read(const QString &fileName, const QByteArray &codePage = {});
};

} // namespace vbide
