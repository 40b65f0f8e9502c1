#pragma once

#include "platform/win32/SftTreeSource.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace win32 {

// The grid's own table, for owners that fill it cell by cell: flat vectors
// of cell texts and cell fonts (with a font per column for cells without one
// of their own), one 32-bit item datum per row, and a hash from item data to row so that a
// row is found without a scan.
//
// Between beginBulkUpdate() and endBulkUpdate() the model sends no per-change
// signals; the view is reset once at the end. This is what keeps a fill of
// tens of thousands of rows fast.
class SftTreeModel : public SftTreeSource {
    Q_OBJECT
public:
    explicit SftTreeModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;

    // Columns. Changing the count keeps the cells of the columns that remain.
    void setColumns(int count);
    void setColumnCaption(int column, const QString &caption);
    QString columnCaption(int column) const override;

    // Rows.
    void clearRows();
    int addRow(const QString &column0Text);  // returns the new row
    void reserveRows(int rows);
    bool removeRow(int row);
    void setItemData(int row, qint32 value);
    qint32 itemData(int row) const override;
    bool hasItemData(int row) const override;
    int findItemData(qint32 value) const override;
    void setRowSpanned(int row, bool spanned);
    bool rowSpanned(int row) const override;

    // Cells. Out-of-range addresses are ignored (set) or read as empty (get).
    void setCellText(int row, int column, const QString &text);
    QString cellText(int row, int column) const override;
    QStringView cellTextView(int row, int column, QString &scratch) const override;
    void setCellFont(int row, int column, const QString &fontName);
    QString cellFont(int row, int column) const override;
    // The font of the column's cells that have none of their own.
    void setColumnFont(int column, const QString &fontName);

    // Orders the rows by their ID: rows with item data numerically by it,
    // other rows by their column 0 text, before them.
    void sortById();

    void beginBulkUpdate();
    void endBulkUpdate();
    bool inBulkUpdate() const { return m_bulk; }

protected:
    bool signalsHeld() const override { return m_bulk; }

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

    int m_columns = 0;
    int m_rows = 0;
    QStringList m_captions;
    std::vector<QString> m_texts;     // row-major, m_rows * m_columns
    std::vector<quint16> m_fonts;     // same layout; index into m_fontNames
    std::vector<quint16> m_columnFonts;  // per column; for cells whose m_fonts entry is 0
    std::vector<qint32> m_itemData;
    std::vector<bool> m_hasItemData;
    std::vector<bool> m_spanned;
    QStringList m_fontNames{QString()};  // id 0: no font of its own
    QHash<QString, quint16> m_fontIds;
    mutable QHash<qint32, int> m_rowOfItemData;
    mutable bool m_indexValid = true;
    bool m_bulk = false;
};

} // namespace win32
