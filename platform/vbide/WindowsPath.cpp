#include "platform/vbide/WindowsPath.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace vbide {

namespace {

// The entry of folder named like segment: as written if it exists, else the
// first match without case in sorted order (so the choice never changes).
QString findEntry(const QString &folder, const QString &segment)
{
    if (QFileInfo::exists(QDir(folder).filePath(segment)))
        return segment;
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                           | QDir::NoDotAndDotDot,
                                                       QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(segment, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

} // namespace

ResolvedPath resolveWindowsPath(const QString &baseDir, const QString &windowsPath)
{
    QString written = windowsPath.trimmed();
    written.replace(QLatin1Char('\\'), QLatin1Char('/'));
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (drive.match(written).hasMatch())
        return {written, false};

    QString current = written.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QDir(baseDir).absolutePath();
    const QStringList segments = written.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    bool found = true;
    for (const QString &segment : segments) {
        if (segment == QLatin1String("."))
            continue;
        if (segment == QLatin1String("..")) {
            current = QFileInfo(current).path();
            continue;
        }
        QString entry = found ? findEntry(current, segment) : QString();
        if (entry.isEmpty()) {
            found = false;
            entry = segment;
        }
        current = QDir(current).filePath(entry);
    }
    return {QDir::cleanPath(current), found && !segments.isEmpty() && QFileInfo::exists(current)};
}

QString toWindowsRelativePath(const QString &baseDir, const QString &absolutePath)
{
    QString relative = QDir(baseDir).relativeFilePath(QDir::cleanPath(absolutePath));
    relative.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return relative;
}

} // namespace vbide
