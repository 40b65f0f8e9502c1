#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace win32 {

// The data behind the SftTree grid: flat vectors of cell texts and cell fonts
// (with a font per column for cells without one of their own),
// one 32-bit item datum per row, and a hash from item data to row so that a
// row is found without a scan.
//
// Between beginBulkUpdate() and endBulkUpdate() the model sends no per-change
// signals; the view is reset once at the end. This is what keeps a fill of
// tens of thousands of rows fast.
class SftTreeModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // A cell's note from the owner (a problem the translation checks found),
    // for the mark the grid draws on it; its tooltip and accessible description say it.
    static constexpr int CellNoteRole = Qt::UserRole + 1;
    // The note of a cell, empty for none. It may depend on any cell of the row,
    // so a change of a text refreshes the whole row.
    using CellNotes = std::function<QString(int row, int column)>;

    explicit SftTreeModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Columns. Changing the count keeps the cells of the columns that remain.
    void setColumns(int count);
    void setColumnCaption(int column, const QString &caption);
    QString columnCaption(int column) const;
    void setColumnToolTip(int column, const QString &tip);
    QString columnToolTip(int column) const;

    // Rows.
    void clearRows();
    int addRow(const QString &column0Text);  // returns the new row
    void reserveRows(int rows);
    bool removeRow(int row);
    void setItemData(int row, qint32 value);
    qint32 itemData(int row) const;  // 0 for a row without item data
    bool hasItemData(int row) const;
    int findItemData(qint32 value) const;  // first row with that item data, or -1
    // A row whose column 0 text is drawn across the whole row (a status text).
    void setRowSpanned(int row, bool spanned);
    bool rowSpanned(int row) const;

    // Cells. Out-of-range addresses are ignored (set) or read as empty (get).
    void setCellText(int row, int column, const QString &text);
    QString cellText(int row, int column) const;
    // The same without a copy, for scans over many cells; empty out of range.
    const QString &cellTextRef(int row, int column) const;
    void setCellFont(int row, int column, const QString &fontName);
    QString cellFont(int row, int column) const;  // empty: the grid's own font
    // The font of the column's cells that have none of their own.
    void setColumnFont(int column, const QString &fontName);

    // Orders the rows by their ID: rows with item data numerically by it,
    // other rows by their column 0 text, before them.
    void sortById();

    void setCellNotes(CellNotes notes);
    QString cellNote(int row, int column) const;
    // The owner's notes changed as a whole (another source language): every cell is drawn again.
    void cellNotesChanged();
    // What the owner adds to a cell beyond its text and font: a background,
    // a decoration, an accessible description, a tooltip (shown after the
    // cell's own tip of a text of several lines). Asked for those roles only.
    using CellRoles = std::function<QVariant(int row, int column, int role)>;
    void setCellRoles(CellRoles roles);
    // The owner's marks have changed: every cell is drawn again.
    void cellRolesChanged();

    void beginBulkUpdate();
    void endBulkUpdate();
    bool inBulkUpdate() const { return m_bulk; }

    // The base font that cell fonts take their size and style from.
    void setBaseFont(const QFont &font);
    QFont fontOf(const QString &fontName) const;

private:
    bool validCell(int row, int column) const;
    std::size_t cellIndex(int row, int column) const;
    quint16 fontId(const QString &fontName);
    quint16 fontIdAt(std::size_t cell, int column) const
    {
        const quint16 own = m_fonts[cell];
        return own ? own : m_columnFonts[static_cast<std::size_t>(column)];
    }
    void rebuildIndex() const;
    void cellChanged(int row, int column, int role);

    int m_columns = 0;
    int m_rows = 0;
    QStringList m_captions;
    QStringList m_columnTips;
    CellRoles m_cellRoles;
    std::vector<QString> m_texts;     // row-major, m_rows * m_columns
    std::vector<quint16> m_fonts;     // same layout; index into m_fontNames
    std::vector<quint16> m_columnFonts;  // per column; for cells whose m_fonts entry is 0
    std::vector<qint32> m_itemData;
    std::vector<bool> m_hasItemData;
    std::vector<bool> m_spanned;
    QStringList m_fontNames{QString()};  // id 0: no font of its own
    QHash<QString, quint16> m_fontIds;
    mutable std::vector<std::optional<QFont>> m_fontCache;
    QFont m_baseFont;
    mutable QHash<qint32, int> m_rowOfItemData;
    mutable bool m_indexValid = true;
    CellNotes m_cellNotes;
    bool m_bulk = false;
};

} // namespace win32
