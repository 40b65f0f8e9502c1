#include "tests/fuzz/FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/qm-fuzz-XXXXXX")
                                                                      : QDir::tempPath() + QStringLiteral("/qm-fuzz-XXXXXX"));
    return dir;
}

} // namespace

QString scratch(const QString &name)
{
    return QDir(folder().path()).filePath(name);
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        broken("cannot write a scratch file", path);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        broken("cannot read a scratch file", path);
    return file.readAll();
}

void broken(const char *what, const QString &detail)
{
    std::fprintf(stderr, "property broken: %s%s%s\n", what, detail.isEmpty() ? "" : ": ", qPrintable(detail));
    std::abort();
}

} // namespace fuzz
