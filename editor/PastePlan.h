#pragma once

#include "editor/StringCommands.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// What a paste of a block of cells would change, worked out before anything
// changes. Pasted lines go to the rows shown from the current cell down; a
// block whose first column lands on the Resource ID column instead names, in
// that column, the string each line belongs to, and a string ID without a row
// gets one. IDs themselves are never changed by a paste.
struct PasteInput {
    QList<QStringList> lines;     // the clipboard's cells
    QList<int> columnOrder;       // the grid's columns as shown, left to right
    int startPosition = 0;        // the shown row of the block's first line
    int startVisual = 0;          // the shown column of the block's first column
    std::vector<qint32> shownIds; // the string IDs of the rows shown, in their order
    int maxTextLength = 65535;
    std::function<qint32(int column)> localeOf;  // -1: not a language column
    // The text the file holds now; none: the cell has no entry.
    std::function<std::optional<QString>(qint32 locale, qint32 id)> textOf;
    std::function<bool(qint32 id)> hasRow;
};

struct PastePlan {
    // Empty when the paste may go ahead; else why not, in the UI language.
    QString refusal;
    std::vector<TextChange> changes;
    QList<qint32> newRows;  // string IDs that get a row
    QList<qint32> ids;      // the string ID of each line
    int width = 0;          // the block's columns

    bool refused() const { return !refusal.isEmpty(); }
};

PastePlan planPaste(const PasteInput &input);
