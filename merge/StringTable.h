#pragma once

#include <QHash>
#include <QString>

#include <vector>

namespace resutil {
class ResStrings;
}

namespace merge {

// One text for one (locale ID, string ID). A null text stands for a cell
// without one.
struct Cell {
    qint32 localeId = 0;
    qint32 id = 0;
    QString text;
};

inline bool keyBefore(qint32 localeA, qint32 idA, qint32 localeB, qint32 idB)
{
    return localeA != localeB ? localeA < localeB : idA < idB;
}

// The strings of one version of a resource file, as cells sorted by locale
// ID, then string ID, one text per cell. A .res cannot hold an empty text, so
// an empty text is no cell at all.
class StringTable {
public:
    StringTable() = default;
    // Where strings holds several entries for one cell, the first added wins,
    // as in ResStrings::Find. The texts share the collection's storage.
    static StringTable fromStrings(const resutil::ResStrings &strings);
    // The strings as they stood when the collection began keeping texts: its
    // cells now, with the kept texts put back.
    static StringTable asKept(const resutil::ResStrings &strings);
    // Cells in any order; of several for one cell the first wins.
    static StringTable fromCells(std::vector<Cell> cells);

    // Per cell where strings hold another text than this table does, this
    // table's text (null for none): what strings, keeping texts from now on,
    // need to keep to give this table back (see asKept).
    QHash<quint64, QString> textsDifferingIn(const resutil::ResStrings &strings) const;

    const std::vector<Cell> &cells() const { return m_cells; }
    qsizetype size() const { return qsizetype(m_cells.size()); }
    // The cell's text, or a null string.
    QString text(qint32 localeId, qint32 id) const;

private:
    explicit StringTable(std::vector<Cell> cells);
    std::vector<Cell> m_cells;
};

} // namespace merge
