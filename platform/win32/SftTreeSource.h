#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

namespace win32 {

// A run of a cell's text, in its UTF-16 units.
struct TextRange {
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const TextRange &) const = default;
};

// What the SftTree grid shows: a flat table whose rows may carry a 32-bit
// item datum (column 0's Qt::UserRole), cells with a text and a font, and
// the owner's notes and marks. The grid's own SftTreeModel is one; an owner
// with a table of its own derives from this and hands it to the grid.
//
// The roles follow from the few functions a source implements: the text for
// display, edit and accessibility, the font, right-to-left alignment, the
// tooltip (a text of several lines as written, then the notes), the item datum.
class SftTreeSource : public QAbstractTableModel {
    Q_OBJECT
public:
    // A cell's note from the owner (a problem the translation checks found),
    // for the mark the grid draws on it; its tooltip and accessible description say it.
    static constexpr int CellNoteRole = Qt::UserRole + 1;
    // Runs of the cell's text the grid underlines with a wavy line (misspelt
    // words), a QList<TextRange> from the owner's CellRoles.
    static constexpr int UnderlinedRangesRole = Qt::UserRole + 26;
    // The note of a cell, empty for none. It may depend on any cell of the row,
    // so a change of a text refreshes the whole row.
    using CellNotes = std::function<QString(int row, int column)>;
    // What the owner adds to a cell beyond its text and font: a background,
    // a decoration, an accessible description, a tooltip (shown after the
    // cell's own tip of a text of several lines), runs to underline. Asked for those roles only.
    using CellRoles = std::function<QVariant(int row, int column, int role)>;

    explicit SftTreeSource(QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    virtual bool hasItemData(int row) const = 0;
    virtual qint32 itemData(int row) const = 0;          // 0 for a row without item data
    virtual int findItemData(qint32 value) const = 0;    // first row with that item data, or -1
    // Empty out of range. Shared, not copied, wherever the source can.
    virtual QString cellText(int row, int column) const = 0;
    // The same for a scan over many cells: a view, valid until the source
    // changes, into the source's own text or into `scratch`.
    virtual QStringView cellTextView(int row, int column, QString &scratch) const;
    virtual QString cellFont(int row, int column) const = 0;  // empty: the grid's own font
    virtual QString columnCaption(int column) const = 0;
    // A row whose column 0 text is drawn across the whole row (a status text).
    virtual bool rowSpanned(int) const { return false; }
    virtual QString cellNote(int row, int column) const;

    void setColumnToolTip(int column, const QString &tip);
    QString columnToolTip(int column) const;
    // What the owner adds to a column's tip when it is asked for (figures too
    // costly to keep current on every change); empty for none.
    using ColumnNotes = std::function<QString(int column)>;
    void setColumnNotes(ColumnNotes notes) { m_columnNotes = std::move(notes); }

    void setCellNotes(CellNotes notes);
    // The owner's notes changed as a whole (another source language): every cell is drawn again.
    void cellNotesChanged();
    void setCellRoles(CellRoles roles);
    // The owner's marks have changed: every cell is drawn again.
    void cellRolesChanged();

    // The base font that cell fonts take their size and style from.
    void setBaseFont(const QFont &font);
    QFont fontOf(const QString &fontName) const;

protected:
    // While true (a bulk update) no change is signalled.
    virtual bool signalsHeld() const { return false; }
    // Whether cells have notes at all; a source with notes of its own says so.
    virtual bool hasNotes() const { return static_cast<bool>(m_cellNotes); }
    // The cell's text changed: its row's notes may have changed with it.
    void emitTextChanged(int row, int column);
    void emitRowChanged(int row, const QList<int> &roles = {});
    // The columns from `column` on are gone: so are their tips.
    void dropColumnToolTipsFrom(int column);

private:
    void emitAllCellsChanged(const QList<int> &roles);

    QHash<int, QString> m_columnTips;
    ColumnNotes m_columnNotes;
    CellNotes m_cellNotes;
    CellRoles m_cellRoles;
    QFont m_baseFont;
    mutable QHash<QString, QFont> m_fonts;
};

} // namespace win32

Q_DECLARE_METATYPE(win32::TextRange)
