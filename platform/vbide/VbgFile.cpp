#include "platform/vbide/VbgFile.h"

#include "platform/vbide/WindowsPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace vbide {

qm::Result<VbgFile> VbgFile::read(const QString &fileName, const QByteArray &codePage)
{
    VbgFile group;
    group.fileName = QFileInfo(fileName).absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(group.fileName);
    QFile in(group.fileName);
    if (!in.open(QIODevice::ReadOnly))
        return qm::makeError(QStringLiteral("The project group %1 cannot be opened: %2.").arg(shown, in.errorString()));
    QStringDecoder decode(codePage.constData());
    if (!decode.isValid())
        return qm::makeError(QStringLiteral("The code page \"%1\" is not known on this system.")
                                 .arg(QString::fromLatin1(codePage)));
    const QString text = decode(in.readAll());
    if (decode.hasError())
        return qm::makeError(QStringLiteral("%1 cannot be read in the code page %2.")
                                 .arg(shown, QString::fromLatin1(codePage)));
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.isEmpty() || !lines.first().trimmed().startsWith(QLatin1String("VBGROUP"), Qt::CaseInsensitive))
        return qm::makeError(QStringLiteral("%1 is not a Visual Basic project group: it does not start with \"VBGROUP\".")
                                 .arg(shown));
    const QString folder = QFileInfo(group.fileName).absolutePath();
    for (int i = 1; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const bool startup = key.compare(QLatin1String("StartupProject"), Qt::CaseInsensitive) == 0;
        if (!startup && key.compare(QLatin1String("Project"), Qt::CaseInsensitive) != 0)
            continue;
        const ResolvedPath project = resolveWindowsPath(folder, line.mid(equals + 1).trimmed());
        if (!project.exists) {
            group.warnings.append(QStringLiteral("%1, line %2: the project \"%3\" was not found (looked for %4).")
                                      .arg(QFileInfo(group.fileName).fileName())
                                      .arg(i + 1)
                                      .arg(line.mid(equals + 1).trimmed(), QDir::toNativeSeparators(project.path)));
            continue;
        }
        group.projects.append(project.path);
        if (startup)
            group.startupProject = project.path;
    }
    return group;
}

} // namespace vbide
