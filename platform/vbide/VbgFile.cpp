#include "platform/vbide/VbgFile.h"

#include "platform/vbproject/ProblemList.h"
#include "platform/vbproject/ProjectCodePage.h"
#include "platform/vbproject/ProjectFileBytes.h"
#include "platform/vbproject/WindowsPath.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

namespace vbide {

namespace {

bool isProjectKey(QByteArrayView key, bool *startup)
{
    *startup = key.compare("StartupProject", Qt::CaseInsensitive) == 0;
    return *startup || key.compare("Project", Qt::CaseInsensitive) == 0;
}

// The projects a group lists, as written. The keys and '=' are ASCII and never
// the second byte of a double-byte character, so this holds before decoding.
QList<QByteArray> listedProjects(const QByteArray &bytes)
{
    constexpr int Enough = 64;
    QList<QByteArray> names;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView line(bytes.constData() + start, end - start);
        start = end + 1;
        const qsizetype equals = line.indexOf('=');
        bool startup = false;
        if (equals > 0 && isProjectKey(line.first(equals).trimmed(), &startup))
            names.append(line.sliced(equals + 1).trimmed().toByteArray());
        if (names.size() == Enough)
            break;
    }
    return names;
}

} // namespace

qm::Result<VbgFile> VbgFile::read(const QString &fileName, const QByteArray &codePage)
{
    VbgFile group;
    group.fileName = QFileInfo(fileName).absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(group.fileName);
    const QString folder = QFileInfo(group.fileName).absolutePath();
    if (!codePage.isEmpty() && !QStringDecoder(codePage.constData()).isValid())
        return qm::makeError(QStringLiteral("The code page \"%1\" is not known on this system.")
                                 .arg(QString::fromLatin1(codePage)));
    qm::Result<QByteArray> bytes = readProjectFileBytes(group.fileName, QStringLiteral("project group"));
    if (!bytes)
        return bytes.error();
    group.codePage = !codePage.isEmpty() ? codePage : detectCodePage(*bytes, listedProjects(*bytes), folder);
    QStringDecoder decode(group.codePage.constData());
    const QString text = decode(*bytes);
    if (decode.hasError())
        return qm::makeError(QStringLiteral("%1 cannot be read in the code page %2.")
                                 .arg(shown, describeCodePage(group.codePage)));
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.isEmpty() || !lines.first().trimmed().startsWith(QLatin1String("VBGROUP"), Qt::CaseInsensitive))
        return qm::makeError(QStringLiteral("%1 is not a Visual Basic project group: it does not start with \"VBGROUP\".")
                                 .arg(shown));
    WindowsPathResolver resolver;
    ProblemList missing;
    for (int i = 1; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        bool startup = false;
        if (!isProjectKey(line.left(equals).trimmed().toLatin1(), &startup))
            continue;
        const QString written = line.mid(equals + 1).trimmed();
        const ResolvedPath project = resolver.resolve(folder, written);
        if (!project.exists) {
            missing.add([&] {
                return QStringLiteral("%1, line %2: the project \"%3\" was not found (looked for %4).")
                    .arg(QFileInfo(group.fileName).fileName(), QString::number(i + 1), written,
                         QDir::toNativeSeparators(project.path));
            });
            continue;
        }
        group.projects.append(project.path);
        if (startup)
            group.startupProject = project.path;
    }
    group.warnings = missing.lines([&](int count, int shownCount) {
        return QFileInfo(group.fileName).fileName()
             + QStringLiteral(": %1 projects were not found; the first %2:").arg(count).arg(shownCount);
    });
    return group;
}

} // namespace vbide
