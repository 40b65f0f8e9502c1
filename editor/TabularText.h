#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Cells as spreadsheets put them on the clipboard: one line per row, cells
// separated by tabs, no header. A cell holding a tab, a line break or a
// double quote is written in double quotes, with its quotes doubled.
QString ToTabularText(const QList<QStringList> &rows);
// The rows of such a text. The line break after the last row is not a row of
// its own; a quote that never closes is taken as an ordinary character.
QList<QStringList> FromTabularText(const QString &text);
