#include "tests/testlib/PeerPrograms.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace peers {

Run run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForStarted(-1) || !p.waitForFinished(-1))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

Run python(const QString &script, const QStringList &args)
{
    return run(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args);
}

bool pythonHas(const char *module)
{
    return python(QStringLiteral("import %1").arg(QLatin1String(module)), {}).exitCode == 0;
}

QString program(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

QString libreOfficeConvert(const QString &file, const QString &extension, const QString &outDir, const QString &work, QByteArray *errors)
{
    const QString soffice = program("soffice");
    if (soffice.isEmpty())
        return QString();
    QDir().mkpath(outDir);
    const QString profile = QStringLiteral("-env:UserInstallation=file://") + QDir(work).absoluteFilePath(QStringLiteral("lo-profile"));
    const Run r = run(soffice, {profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"), extension,
                                QStringLiteral("--outdir"), outDir, file});
    if (errors)
        *errors = r.err;
    const QString out = QDir(outDir).filePath(QFileInfo(file).completeBaseName() + u'.' + extension.section(u':', 0, 0));
    return r.exitCode == 0 && QFileInfo::exists(out) ? out : QString();
}

} // namespace peers
