#include "ResVersion.h"

#include <QFileInfo>

namespace cli {

qm::Status readVersion(const QString &path, ResVersion &version, bool emptyAllowed)
{
    version.file.setFileName(path);
    if (const QFileInfo info(path); emptyAllowed && info.isFile() && info.size() == 0)
        return {};
    if (auto status = version.file.Load(); !status.ok())
        return status;
    version.version = merge::versionOf(version.file);
    return {};
}

} // namespace cli
