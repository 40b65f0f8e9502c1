// The grid's range of selected cells: kept as an anchor cell and the current
// cell, stretched by Shift with the arrows, a Shift+click or a drag, and drawn
// over the cells in the selection's colour.
#include "platform/win32/SftTree.h"

#include "platform/win32/SftTreeCellEditor.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace win32 {

SftTree::CellRange SftTree::selectedRange() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return {};
    int anchorRow = m_anchorRow;
    int anchorColumn = m_anchorColumn;
    if (anchorRow < 0 || anchorRow >= shownItemCount() || anchorColumn < 0 || anchorColumn >= columnCount()) {
        anchorRow = current.row();
        anchorColumn = current.column();
    }
    const int anchorVisual = header()->visualIndex(anchorColumn);
    const int currentVisual = header()->visualIndex(current.column());
    CellRange range;
    range.top = std::min(anchorRow, current.row());
    range.bottom = std::max(anchorRow, current.row());
    range.left = std::min(anchorVisual, currentVisual);
    range.right = std::max(anchorVisual, currentVisual);
    return range;
}

void SftTree::selectRange(int anchorRow, int anchorColumn, int row, int column)
{
    const QModelIndex cell = m_rowView->index(row, column);
    if (!cell.isValid() || !m_rowView->index(anchorRow, anchorColumn).isValid())
        return;
    m_extending = true;
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_extending = false;
    m_anchorRow = anchorRow;
    m_anchorColumn = anchorColumn;
    scrollTo(cell);
    viewport()->update();
}

void SftTree::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    if (!m_extending) {
        m_anchorRow = current.row();
        m_anchorColumn = current.column();
    }
    viewport()->update();
}

void SftTree::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton)) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (!cell.isValid() || cell == currentIndex())
        return;
    // Dragging over another cell selects a range instead of editing the first one.
    if (m_editing)
        endEdit(true);
    m_extending = true;
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_extending = false;
    scrollTo(cell);
}

void SftTree::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QTreeView::mouseReleaseEvent(event);
}

void SftTree::paintRange(QPainter *painter, int row) const
{
    const CellRange range = selectedRange();
    if (!range.isValid() || (range.rows() == 1 && range.columns() == 1) || row < range.top || row > range.bottom)
        return;
    QColor tint = palette().color(QPalette::Highlight);
    tint.setAlpha(90);
    const int frozen = frozenWidth();
    painter->save();
    for (int visual = range.left; visual <= range.right; ++visual) {
        const int column = header()->logicalIndex(visual);
        QRect cell = visualRect(m_rowView->index(row, column));
        if (column != 0 && frozen > 0)
            cell.setLeft(std::max(cell.left(), frozen));
        if (cell.width() > 0)
            painter->fillRect(cell, tint);
    }
    painter->restore();
}

} // namespace win32
