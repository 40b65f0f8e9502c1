#include "platform/vbproject/WindowsPath.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace vbide {

// The entry of folder named like segment: as written if it exists, else the
// first match without case in sorted order (so the choice never changes).
QString WindowsPathResolver::findEntry(const QString &folder, const QString &segment)
{
    if (QFileInfo::exists(QDir(folder).filePath(segment)))
        return segment;
    auto listed = m_folders.find(folder);
    if (listed == m_folders.end()) {
        QHash<QString, QString> entries;
        const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                             | QDir::NoDotAndDotDot,
                                                         QDir::Name);
        for (const QString &name : names) {
            const QString key = name.toCaseFolded();
            if (!entries.contains(key))
                entries.insert(key, name);
        }
        listed = m_folders.insert(folder, entries);
    }
    return listed->value(segment.toCaseFolded());
}

ResolvedPath WindowsPathResolver::resolve(const QString &baseDir, const QString &windowsPath)
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

ResolvedPath resolveWindowsPath(const QString &baseDir, const QString &windowsPath)
{
    return WindowsPathResolver().resolve(baseDir, windowsPath);
}

QString toWindowsRelativePath(const QString &baseDir, const QString &absolutePath)
{
    QString relative = QDir(baseDir).relativeFilePath(QDir::cleanPath(absolutePath));
    relative.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return relative;
}

} // namespace vbide
