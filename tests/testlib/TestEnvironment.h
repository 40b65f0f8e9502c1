#pragma once

#include <QString>
#include <QTemporaryDir>

// Gives each test process its own settings store and config folder, so tests
// never see the user's settings or each other's.
class TestEnvironment {
public:
    TestEnvironment();
    QString path() const { return m_dir.path(); }
    QString registryFile() const;

private:
    QTemporaryDir m_dir;
};
