#pragma once

#include <QKeySequence>
#include <QString>

// A command's tooltip: its tip and, when it has one, its key as the UI
// language names it ("Save (Ctrl+S)", "Speichern (Strg+S)").
QString commandTip(const QString &tip, const QKeySequence &key);
