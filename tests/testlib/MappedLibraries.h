#pragma once

// Which files this process has mapped, for tests that check a library is
// loaded only when its work comes.

#include <QFile>
#include <QString>
#include <QStringList>

namespace testlib {

// The file names (without folders) of what /proc/self/maps names, once
// each; with a prefix, only those that start with it.
inline QStringList mappedLibraries(const QString &prefix = QString())
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    QStringList names;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const qsizetype slash = line.lastIndexOf('/');
        const QString name = slash >= 0 ? QString::fromLocal8Bit(line.mid(slash + 1)) : QString();
        if (!name.isEmpty() && name.startsWith(prefix) && !names.contains(name))
            names << name;
    }
    return names;
}

} // namespace testlib
