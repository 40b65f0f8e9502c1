#pragma once

// The order and widths of a project's language columns as the user left them,
// kept per project file in the registry.

#include <QList>
#include <QString>

#include <cstdint>

struct ColumnPlacement {
    std::int32_t LocaleID = 0;
    int WidthTwips = 0;
};

// Left to right; empty when nothing is stored for the project file or it has no name yet.
QList<ColumnPlacement> GetStoredColumnLayout(const QString &projectFile);
void StoreColumnLayout(const QString &projectFile, const QList<ColumnPlacement> &columns);
