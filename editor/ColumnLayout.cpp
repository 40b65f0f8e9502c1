#include "editor/ColumnLayout.h"

#include "platform/win32core/Registry.h"
#include "support/ErrorTrap.h"
#include "support/REG_MODULE.h"

using namespace win32;

namespace {
const QString kColumnLayoutKey = QStringLiteral("Software\\Corvane\\Quillmark\\ColumnLayout");

// "1031:3495,2057:2400": locale ID and width, left to right.
QString formatLayout(const QList<ColumnPlacement> &columns)
{
    QStringList parts;
    for (const ColumnPlacement &column : columns)
        parts.append(QStringLiteral("%1:%2").arg(column.LocaleID).arg(column.WidthTwips));
    return parts.join(QLatin1Char(','));
}

// A damaged value yields what can be read of it; nothing in it is trusted beyond its numbers.
QList<ColumnPlacement> parseLayout(const QString &text)
{
    QList<ColumnPlacement> columns;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList fields = part.split(QLatin1Char(':'));
        bool localeOk = false;
        bool widthOk = false;
        const int localeId = fields.value(0).trimmed().toInt(&localeOk);
        const int width = fields.value(1).trimmed().toInt(&widthOk);
        if (fields.size() != 2 || !localeOk || !widthOk || width < 0)
            continue;
        columns.append({localeId, width});
    }
    return columns;
}
} // namespace

QList<ColumnPlacement> GetStoredColumnLayout(const QString &projectFile)
{
    QList<ColumnPlacement> columns;
    if (projectFile.isEmpty())
        return columns;
    qm::trap("GetStoredColumnLayout", [&] {
        HKEY key = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, kColumnLayoutKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return;
        columns = parseLayout(RegQueryString(key, projectFile, QString()));
        RegCloseKey(key);
    });
    return columns;
}

void StoreColumnLayout(const QString &projectFile, const QList<ColumnPlacement> &columns)
{
    if (projectFile.isEmpty())
        return;
    qm::trap("StoreColumnLayout", [&] {
        HKEY key = 0;
        // A failed create makes the write below fail silently, as for every setting.
        (void)RegCreateKeyEx(HKEY_CURRENT_USER, kColumnLayoutKey, 0, QString(), REG_OPTION_NON_VOLATILE, 0x3F, nullptr,
                             &key, nullptr);
        RegStoreString(key, projectFile, formatLayout(columns));
        RegCloseKey(key);
    });
}
