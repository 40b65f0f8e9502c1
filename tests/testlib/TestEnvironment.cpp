#include "tests/testlib/TestEnvironment.h"

#include <QDir>

#include <cstdlib>

TestEnvironment::TestEnvironment()
{
    qputenv("XDG_CONFIG_HOME", QDir(m_dir.path()).filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", QDir(m_dir.path()).filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("QM_REGISTRY_FILE", registryFile().toLocal8Bit());
    qputenv("XDG_DATA_HOME", QDir(m_dir.path()).filePath(QStringLiteral("data")).toLocal8Bit());
}

QString TestEnvironment::registryFile() const { return QDir(m_dir.path()).filePath(QStringLiteral("registry.reg")); }
