#pragma once

#include <QIcon>
#include <QStringList>

// The editor's toolbar images, drawn for this product, by image key:
// "refresh", "new", "save", "insertrow", "resourcestring", "deleterow",
// "deletestringtable", "excel", "properties", "info", "help", "switch".
// An unknown key gives a null icon.
QIcon ToolbarIcon(const QString &imageKey);
const QStringList &ToolbarImageKeys();
