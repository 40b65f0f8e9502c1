#pragma once

#include "platform/win32/SftTreeModel.h"
#include "platform/win32/SftTreeRowView.h"

#include <QTreeView>

#include <vector>

namespace win32 {

class SftTreeCellEditor;

// The tree/grid control: a flat grid of rows and columns with per-cell fonts,
// a cell editor that the owner starts and ends, and the click, key and
// after-edit events of the toolkit control it stands in for.
//
// Widths are in twips (1/1440 inch), as the owner's layout is.
//
// Rows are the model's rows ("items") wherever the interface takes or gives
// one. The view may show only some of them, in an order of its own (see
// setRowRule); positions count the rows as shown.
class SftTree : public QTreeView {
    Q_OBJECT
public:
    // Where a click landed (the control's own area codes).
    enum Area : int {
        AreaNone = 0,          // outside any row and column
        AreaCellText = 2,      // on a cell's text
        AreaCell = 5,          // on a cell, beside its text
        AreaColumnHeader = 6,  // on a column's header
    };
    // Mouse buttons and shift states of the click and key events.
    enum Button : int { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
    enum Shift : int { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };
    // Key codes of the key-down event for the keys the owner handles.
    enum Key : int { KeyTab = 9, KeyEnter = 13, KeyEscape = 27, KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40 };

    // The longest text the cell editor holds: a resource string's limit, in UTF-16 units.
    static constexpr int kMaxCellTextLength = 65535;

    explicit SftTree(QWidget *parent = nullptr);
    ~SftTree() override;

    // The grid's own table, which the row and cell setters below fill.
    SftTreeModel &grid() { return *m_model; }
    const SftTreeModel &grid() const { return *m_model; }
    // What the grid shows: its own table, or an owner's (nullptr: its own
    // again). The readers below read it; the owner changes its table itself,
    // and a text typed into a cell reaches it only through AfterEdit. An
    // owner's table that goes is replaced by the grid's own.
    void setSourceModel(SftTreeSource *source);
    SftTreeSource &source() { return *m_source; }
    const SftTreeSource &source() const { return *m_source; }
    bool showsOwnModel() const { return m_source == m_model; }
    const SftTreeRowView &rowView() const { return *m_rowView; }

    // Columns. The count sizes the settings below and the grid's own table;
    // an owner's table has the columns it has.
    void setColumnCount(int count);
    int columnCount() const { return m_source->columnCount(); }
    void setColumnCaption(int column, const QString &caption);
    QString columnCaption(int column) const { return m_source->columnCaption(column); }
    void setColumnWidthTwips(int column, int twips);
    int columnWidthTwips(int column) const;
    void setColumnMinWidthTwips(int column, int twips);
    int columnMinWidthTwips(int column) const;
    // Order left to right: column 0 stays first (and in view when the grid is
    // scrolled sideways); the columns given follow in that order, the rest after them.
    // The order survives refills while the number of columns stays.
    void setColumnOrder(const QList<int> &columns);
    QList<int> columnOrder() const;  // column 0 first
    // The column `step` places to the right (to the left when negative), or -1.
    int columnBeside(int column, int step) const;
    int firstEditableColumn() const;
    void scrollToColumn(int column);
    // Whether the cell editor may be started on this column's cells.
    void setColumnEditable(int column, bool editable);
    bool columnEditable(int column) const;

    // Rows and cells.
    void clear();  // all rows; columns stay
    int addItem(const QString &column0Text) { return m_model->addRow(column0Text); }
    // A row that holds one text across all of its width, however narrow
    // column 0 is: "No resource file" and the like.
    int addSpanningItem(const QString &text);
    // Makes room for this many rows at once, before a fill that adds them one by one.
    void reserveItems(int rows) { m_model->reserveRows(rows); }
    bool removeItem(int row);
    int itemCount() const { return m_source->rowCount(); }
    void setItemData(int row, qint32 value) { m_model->setItemData(row, value); }
    qint32 itemData(int row) const { return m_source->itemData(row); }
    int findItemData(qint32 value) const { return m_source->findItemData(value); }
    void setCellText(int row, int column, const QString &text) { m_model->setCellText(row, column, text); }
    QString cellText(int row, int column) const { return m_source->cellText(row, column); }
    void setCellFont(int row, int column, const QString &fontName) { m_model->setCellFont(row, column, fontName); }
    QString cellFont(int row, int column) const { return m_source->cellFont(row, column); }
    void setColumnFont(int column, const QString &fontName) { m_model->setColumnFont(column, fontName); }
    void sortById();

    // Which rows are shown and in which order: the rule runs again whenever
    // the rows are refilled or reordered, and at reapplyRowRule(). An open cell
    // edit is ended with acceptance first.
    void setRowRule(SftTreeRowView::Rule rule);
    void reapplyRowRule();
    // Marks the header of the column the rows are ordered by; -1: none.
    void setSortIndicator(int column, bool descending);
    int shownItemCount() const { return m_rowView->shownCount(); }
    int itemAtPosition(int position) const { return m_rowView->modelRowAt(position); }  // -1: none
    int positionOfItem(int row) const { return m_rowView->positionOf(row); }            // -1: not shown
    // The shown row `step` places below (above when negative), or -1.
    int itemBeside(int row, int step) const;
    // The view's index of a cell, invalid when its row is not shown; and back.
    QModelIndex viewIndex(int row, int column) const;
    int itemOf(const QModelIndex &index) const;

    int selectedRow() const;  // -1 when none
    void selectRow(int row);
    // The keyboard's cell: where arrows move from and Enter, F2 or a typed character open.
    // It starts on the first editable column.
    void setCurrentCell(int row, int column);
    int currentRow() const { return itemOf(currentIndex()); }
    int currentColumn() const { return currentIndex().column(); }
    // The block of cells selected with Shift and the arrows, a Shift+click or
    // a drag: from the anchor cell to the current cell. Rows as shown; left
    // and right are positions of columns as shown (0: the ID column).
    struct CellRange {
        int top = -1;
        int bottom = -1;
        int left = -1;
        int right = -1;
        bool isValid() const { return top >= 0; }
        int rows() const { return bottom - top + 1; }
        int columns() const { return right - left + 1; }
    };
    // The current cell alone when nothing more is selected; invalid without rows.
    CellRange selectedRange() const;
    void selectRange(int anchorRow, int anchorColumn, int row, int column);
    // True while the click event of a Shift+click is raised: a click that
    // stretches the range, not one that opens the cell.
    bool isRangeClick() const { return m_rangeClick; }
    // Where the last click event happened, in screen coordinates: the mouse's
    // position, or below the current cell when the keyboard asked for the menu.
    QPoint lastClickPosition() const { return m_lastClickPosition; }
    // The position in the cell's text of the character drawn at globalPos, -1
    // when the point is on none of it (or on another cell).
    int textPositionAt(const QPoint &globalPos, int row, int column) const;
    // Where the cell's underlined runs are drawn, in viewport coordinates.
    QList<QRect> underlineRects(int row, int column) const;

    // Redrawing off collects every change into one update when it is switched on again.
    void setRedraw(bool on);
    bool redraw() const { return m_redraw; }
    void recalcLayout();

    // The cell editor.
    void setEditFont(const QString &fontName);
    QString editFont() const { return m_editFontName; }
    bool beginEdit(int row, int column);  // false when the cell cannot be edited
    bool endEdit(bool accept);            // true when an edit was open and has ended
    bool isEditing() const { return m_editing; }
    int editRow() const { return m_editRow; }
    int editColumn() const { return m_editColumn; }
    SftTreeCellEditor *cellEditor() const { return m_editor; }

    QModelIndex indexAt(const QPoint &point) const override;
    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

    static int twipsToPixels(int twips);
    static int pixelsToTwips(int pixels);

signals:
    void ItemClick(int row, int column, int area, int button, int shift);
    // Raised when an edit ends with acceptance, before the cell shows the text;
    // a handler may change the text.
    void AfterEdit(QString &newText, int row, int column);
    // A left click on a column's header that neither moved nor resized it.
    void HeaderClick(int column);
    // The user moved a column or finished resizing one.
    void ColumnLayoutChanged();
    // Raised for each key pressed in the cell editor; a handler sets key to 0 to swallow it.
    void CEKeyDown(int &key, int shift, int row, int column, const QString &text);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &options, const QModelIndex &index) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct ColumnSettings {
        int widthPixels = -1;  // -1: the header's default
        int minWidthPixels = 0;
        bool editable = false;
    };
    void fitColumnSettings();
    void applyColumnSettings();
    void sectionResized(int column, int oldSize, int newSize);
    bool editorKeyPress(QKeyEvent *event);
    bool startTypingInCell(QKeyEvent *event);
    void openMenuFromKeyboard(int shift);
    int frozenWidth() const;
    void applyColumnOrder();
    void sectionMoved();
    void ensureCurrentCell();
    void placeEditor();
    // Where a cell of the column can be seen, in viewport coordinates.
    QRect visibleCellArea(int column) const;
    QStyleOptionViewItem cellOption(const QModelIndex &cell) const;
    void closeEditor();
    void paintRange(QPainter *painter, int row) const;
    void drawSpanningRow(QPainter *painter, const QStyleOptionViewItem &options, const QModelIndex &index) const;
    bool spansRow(const QModelIndex &index) const;
    static int shiftState(Qt::KeyboardModifiers modifiers);
    static int buttonCode(Qt::MouseButton button);

    SftTreeModel *m_model;
    SftTreeSource *m_source;
    QMetaObject::Connection m_sourceGone;
    SftTreeRowView *m_rowView;
    std::vector<ColumnSettings> m_columns;
    bool m_redraw = true;
    bool m_applyingSettings = false;
    bool m_resetting = false;
    QString m_editFontName;
    SftTreeCellEditor *m_editor = nullptr;  // one for the grid's life, shown while editing
    bool m_editing = false;
    int m_editRow = -1;
    int m_editColumn = -1;
    bool m_ending = false;
    QPoint m_lastClickPosition;
    std::vector<int> m_order;  // logical columns left to right
    bool m_headerPressed = false;
    bool m_resizedByUser = false;
    bool m_menuKeyHandled = false;
    int m_anchorRow = -1;      // the range's fixed corner
    int m_anchorColumn = -1;
    bool m_extending = false;  // a move that keeps the anchor (Shift held, or a drag)
    bool m_dragging = false;
    bool m_rangeClick = false;  // the Menu key's own context-menu event is not a second request
};

} // namespace win32
