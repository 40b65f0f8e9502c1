#pragma once

// Shared by the fuzz targets: a private folder for the files a target writes,
// and the stop for a broken property.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// A path in the target's own temporary folder (in memory where possible).
QString scratch(const QString &name);
// Writes bytes to path; stops the run when it cannot.
void writeBytes(const QString &path, const QByteArray &bytes);
QByteArray readBytes(const QString &path);
inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A property the target checks does not hold: report and stop, so libFuzzer
// keeps the input.
[[noreturn]] void broken(const char *what, const QString &detail = QString());

} // namespace fuzz
