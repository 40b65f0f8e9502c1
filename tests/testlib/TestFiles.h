#pragma once

#include <QByteArray>
#include <QString>

// Files a test sets up and reads back.

// Writes the bytes to path, creating its folder; fails the running test when it cannot.
void writeFile(const QString &path, const QByteArray &bytes);
// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString &path);
