#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Other programs a test checks our files against (python modules, office
// suites). A test skips with a notice when its peer is missing.
namespace peers {

struct Run {
    int exitCode = -1; // -1: did not start or crashed
    QByteArray out, err;
};

// Waits for the program however long it takes: a hung one is ended by the suite.
Run run(const QString &program, const QStringList &args);
// The system's python3, whatever comes first on PATH.
Run python(const QString &script, const QStringList &args);
bool pythonHas(const char *module);
// The path of an installed program; empty when missing.
QString program(const char *name);
// Converts `file` with LibreOffice (headless, own profile under `work`) to
// `extension` in folder `outDir`; the converted file's path, or empty.
QString libreOfficeConvert(const QString &file, const QString &extension, const QString &outDir, const QString &work,
                           QByteArray *errors = nullptr);

} // namespace peers
