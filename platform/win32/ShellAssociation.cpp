#include "platform/win32/ShellAssociation.h"

#include <QProcess>
#include <QStandardPaths>

namespace win32 {

bool hasSchemeHandler(const QString &scheme)
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return true;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/") + scheme});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return true;
    }
    return query.exitStatus() == QProcess::NormalExit && !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace win32
