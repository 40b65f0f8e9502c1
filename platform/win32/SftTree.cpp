#include "platform/win32/SftTree.h"

#include "platform/win32/SftTreeCellDelegate.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "platform/win32/SftTreeHeader.h"
#include "platform/win32/VirtualKey.h"

#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>

#include <algorithm>
#include <numeric>
#include <utility>

namespace win32 {

namespace {
constexpr int kTwipsPerPixel = 15;  // 96 dots per inch
constexpr int kTextMargin = 6;      // the view's own padding left and right of a cell's text
constexpr int kHandleWidth = 4;     // a header click this near a section edge resizes instead

// Ctrl+Enter is left to the window's commands.
bool opensCellEditor(const QKeyEvent &event)
{
    if (event.modifiers() & Qt::ControlModifier)
        return false;
    return event.key() == Qt::Key_F2 || event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

bool opensMenu(const QKeyEvent &event)
{
    return event.key() == Qt::Key_Menu || (event.key() == Qt::Key_F10 && event.modifiers() == Qt::ShiftModifier);
}

// A key that types a character into a cell, as opposed to a command key.
bool typesCharacter(const QKeyEvent &event)
{
    const QString text = event.text();
    if (text.isEmpty() || (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    return QChar::isPrint(text.toUcs4().value(0));
}
} // namespace

SftTree::SftTree(QWidget *parent)
    : QTreeView(parent), m_model(new SftTreeModel(this)), m_source(m_model), m_rowView(new SftTreeRowView(m_model, this))
{
    setHeader(new SftTreeHeader(Qt::Horizontal, this));
    setModel(m_rowView);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(true);
    header()->setFirstSectionMovable(false);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setMinimumSectionSize(1);
    header()->viewport()->installEventFilter(this);
    m_model->setBaseFont(font());

    connect(header(), &QHeaderView::sectionResized, this, &SftTree::sectionResized);
    connect(header(), &QHeaderView::sectionMoved, this, &SftTree::sectionMoved);
    connect(header(), &QHeaderView::sectionClicked, this, &SftTree::HeaderClick);
    connect(m_rowView, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_resetting = true; });
    connect(m_rowView, &QAbstractItemModel::modelReset, this, [this] {
        m_resetting = false;
        fitColumnSettings();
        applyColumnSettings();
        applyColumnOrder();
        ensureCurrentCell();
    });
    connect(m_rowView, &QAbstractItemModel::rowsInserted, this, [this] { ensureCurrentCell(); });
    connect(m_rowView, &QAbstractItemModel::layoutChanged, this, [this] {
        ensureCurrentCell();
        placeEditor();
    });

    setItemDelegate(new SftTreeCellDelegate([this](int column) { return visibleCellArea(column); }, this));

    m_editor = new SftTreeCellEditor(viewport());
    m_editor->setObjectName(QStringLiteral("SftTreeCellEditor"));
    m_editor->setAccessibleName(QCoreApplication::translate("win32::SftTree", "Cell editor"));
    m_editor->setMaxLength(kMaxCellTextLength);
    m_editor->hide();
    m_editor->installEventFilter(this);
    // The editor grows with its text, so that all of it is seen.
    connect(m_editor->document(), &QTextDocument::contentsChanged, this, [this] { placeEditor(); });
}

SftTree::~SftTree()
{
    // The editor is a child of the viewport; stop its events reaching us while we go.
    m_editor->removeEventFilter(this);
    header()->viewport()->removeEventFilter(this);
}

void SftTree::setSourceModel(SftTreeSource *source)
{
    if (!source)
        source = m_model;
    if (source == m_source)
        return;
    closeEditor();
    disconnect(m_sourceGone);
    m_source = source;
    m_source->setBaseFont(font());
    m_rowView->setSource(source);
    if (source != m_model)
        m_sourceGone = connect(source, &QObject::destroyed, this, [this] {
            // Nothing of the table may be read any more: not even to leave it.
            m_source = m_model;
            m_rowView->setSource(m_model);
        });
}

void SftTree::fitColumnSettings()
{
    // Another table, or the same one with other columns: new columns start
    // with the header's defaults until the owner sets them.
    const auto count = static_cast<std::size_t>(columnCount());
    if (m_columns.size() == count)
        return;
    m_columns.resize(count);
    m_order.resize(count);
    std::iota(m_order.begin(), m_order.end(), 0);
}

void SftTree::setColumnCount(int count)
{
    closeEditor();
    m_columns.resize(static_cast<std::size_t>(std::max(count, 0)));
    m_order.resize(m_columns.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    m_model->setColumns(count);
    applyColumnOrder();
}

void SftTree::setColumnOrder(const QList<int> &columns)
{
    std::vector<int> order{0};
    for (int column : columns) {
        if (column > 0 && column < columnCount() && std::find(order.begin(), order.end(), column) == order.end())
            order.push_back(column);
    }
    for (int column = 1; column < columnCount(); ++column) {
        if (std::find(order.begin(), order.end(), column) == order.end())
            order.push_back(column);
    }
    if (columnCount() == 0)
        order.clear();
    m_order = order;
    applyColumnOrder();
}

QList<int> SftTree::columnOrder() const
{
    QList<int> order;
    for (int visual = 0; visual < header()->count(); ++visual)
        order.append(header()->logicalIndex(visual));
    return order;
}

int SftTree::columnBeside(int column, int step) const
{
    if (column < 0 || column >= header()->count())
        return -1;
    const int visual = header()->visualIndex(column) + step;
    return visual >= 0 && visual < header()->count() ? header()->logicalIndex(visual) : -1;
}

void SftTree::scrollToColumn(int column)
{
    if (column <= 0 || column >= header()->count())
        return;  // column 0 is always in view
    QScrollBar *bar = horizontalScrollBar();
    // Once scrolled, column 0 covers the left of the view.
    const int covered = header()->visualIndex(0) == 0 ? header()->sectionSize(0) : 0;
    const int position = header()->sectionPosition(column);
    const int width = header()->sectionSize(column);
    const int viewWidth = viewport()->width();
    if (position - bar->value() < covered)
        bar->setValue(position - covered);
    else if (position + width - bar->value() > viewWidth)
        bar->setValue(std::min(position - covered, position + width - viewWidth));
}

void SftTree::setColumnCaption(int column, const QString &caption) { m_model->setColumnCaption(column, caption); }

void SftTree::setColumnWidthTwips(int column, int twips)
{
    if (column < 0 || column >= static_cast<int>(m_columns.size()))
        return;
    m_columns[column].widthPixels = std::max(twipsToPixels(twips), 0);
    applyColumnSettings();
}

int SftTree::columnWidthTwips(int column) const
{
    if (column < 0 || column >= columnCount())
        return 0;
    return pixelsToTwips(header()->sectionSize(column));
}

void SftTree::setColumnMinWidthTwips(int column, int twips)
{
    if (column < 0 || column >= static_cast<int>(m_columns.size()))
        return;
    m_columns[column].minWidthPixels = std::max(twipsToPixels(twips), 0);
    applyColumnSettings();
}

int SftTree::columnMinWidthTwips(int column) const
{
    if (column < 0 || column >= static_cast<int>(m_columns.size()))
        return 0;
    return pixelsToTwips(m_columns[column].minWidthPixels);
}

void SftTree::setColumnEditable(int column, bool editable)
{
    if (column < 0 || column >= static_cast<int>(m_columns.size()))
        return;
    m_columns[column].editable = editable;
}

bool SftTree::columnEditable(int column) const
{
    return column >= 0 && column < static_cast<int>(m_columns.size()) && m_columns[column].editable;
}

void SftTree::clear()
{
    closeEditor();
    m_model->clearRows();
}

int SftTree::addSpanningItem(const QString &text)
{
    const int row = m_model->addRow(text);
    m_model->setRowSpanned(row, true);
    return row;
}

bool SftTree::removeItem(int row)
{
    closeEditor();
    return m_model->removeRow(row);
}

void SftTree::sortById()
{
    closeEditor();
    m_model->sortById();
}

void SftTree::setRowRule(SftTreeRowView::Rule rule)
{
    endEdit(true);
    m_rowView->setRule(std::move(rule));
}

void SftTree::reapplyRowRule()
{
    endEdit(true);
    m_rowView->reapply();
}

void SftTree::setSortIndicator(int column, bool descending)
{
    header()->setSortIndicatorShown(column >= 0);
    header()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

int SftTree::itemBeside(int row, int step) const
{
    const int position = positionOfItem(row);
    return position < 0 ? -1 : itemAtPosition(position + step);
}

QModelIndex SftTree::viewIndex(int row, int column) const
{
    const int position = positionOfItem(row);
    return position < 0 ? QModelIndex() : m_rowView->index(position, column);
}

int SftTree::itemOf(const QModelIndex &index) const
{
    return index.isValid() && index.model() == m_rowView ? m_rowView->modelRowAt(index.row()) : -1;
}

int SftTree::selectedRow() const
{
    if (!selectionModel())
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows(0);
    return rows.isEmpty() ? -1 : itemOf(rows.first());
}

void SftTree::selectRow(int row)
{
    const QModelIndex cell = viewIndex(row, 0);
    if (!cell.isValid()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void SftTree::setCurrentCell(int row, int column)
{
    const QModelIndex cell = viewIndex(row, column);
    if (!cell.isValid())
        return;
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    m_anchorRow = cell.row();  // the cell alone, even when it was current already (a position)
    m_anchorColumn = column;
    scrollTo(cell);
}

void SftTree::setRedraw(bool on)
{
    if (on == m_redraw)
        return;
    m_redraw = on;
    if (!on) {
        setUpdatesEnabled(false);
        m_model->beginBulkUpdate();
        return;
    }
    m_model->endBulkUpdate();
    setUpdatesEnabled(true);
    placeEditor();
}

void SftTree::recalcLayout()
{
    // With redrawing off the layout is computed once, when it comes on again.
    if (!m_redraw)
        return;
    doItemsLayout();
    placeEditor();
}

void SftTree::setEditFont(const QString &fontName)
{
    m_editFontName = fontName;
    m_editor->setFont(m_source->fontOf(fontName));
}

bool SftTree::beginEdit(int row, int column)
{
    if (positionOfItem(row) < 0 || !columnEditable(column))
        return false;
    if (m_editing)
        endEdit(true);
    if (positionOfItem(row) < 0)  // the after-edit handler may have changed the rows
        return false;
    m_editing = true;
    m_editRow = row;
    m_editColumn = column;
    m_editor->setFont(m_source->fontOf(m_editFontName));
    m_editor->setText(m_source->cellText(row, column));
    m_editor->selectAll();
    // The keyboard's cell follows the editor; a selected row follows it too.
    const QModelIndex cell = viewIndex(row, column);
    const int selected = selectedRow();
    selectionModel()->setCurrentIndex(cell, selected >= 0 && selected != row
                                                ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                                                : QItemSelectionModel::NoUpdate);
    scrollTo(cell);
    placeEditor();
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
    return true;
}

bool SftTree::endEdit(bool accept)
{
    if (!m_editing || m_ending)
        return false;
    m_ending = true;
    const int row = m_editRow;
    const int column = m_editColumn;
    if (accept) {
        QString text = m_editor->text();
        emit AfterEdit(text, row, column);
        if (showsOwnModel())
            m_model->setCellText(row, column, text);
    }
    closeEditor();
    m_ending = false;
    return true;
}

int SftTree::twipsToPixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

int SftTree::pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

QModelIndex SftTree::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const int rows = shownItemCount();
    const int lastVisual = header()->count() - 1;
    if (rows == 0 || lastVisual < 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return m_rowView->index(0, firstEditableColumn());
    int row = current.row();  // a position: the rows as shown
    int visual = header()->visualIndex(current.column());
    const bool ctrl = modifiers & Qt::ControlModifier;
    // Arrows move from cell to cell; the view's own Left and Right would only scroll.
    switch (cursorAction) {
    case MoveUp:
        row = std::max(row - 1, 0);
        break;
    case MoveDown:
        row = std::min(row + 1, rows - 1);
        break;
    case MoveLeft:
        visual = std::max(visual - 1, 0);
        break;
    case MoveRight:
        visual = std::min(visual + 1, lastVisual);
        break;
    case MoveHome:
        visual = 0;
        if (ctrl)
            row = 0;
        break;
    case MoveEnd:
        visual = lastVisual;
        if (ctrl)
            row = rows - 1;
        break;
    case MovePageUp:
    case MovePageDown: {
        const QModelIndex paged = QTreeView::moveCursor(cursorAction, modifiers);
        if (paged.isValid())
            row = paged.row();
        break;
    }
    default:
        return current;
    }
    return m_rowView->index(row, header()->logicalIndex(visual));
}

QModelIndex SftTree::indexAt(const QPoint &point) const
{
    // Column 0 drawn at the left edge over the columns scrolled under it.
    const int frozen = frozenWidth();
    QModelIndex index = frozen > 0 && point.x() >= 0 && point.x() < frozen
        ? QTreeView::indexAt(QPoint(header()->sectionViewportPosition(0) + point.x(), point.y()))
        : QTreeView::indexAt(point);
    if (!index.isValid() && header()->count() > 0 && point.x() >= 0 && point.x() < viewport()->width()) {
        // Beyond the last column: only a spanning row's text is there.
        const int last = header()->logicalIndex(header()->count() - 1);
        const int lastX = header()->sectionViewportPosition(last) + header()->sectionSize(last) - 1;
        const QModelIndex beside = QTreeView::indexAt(QPoint(lastX, point.y()));
        if (spansRow(beside))
            index = beside;
    }
    return spansRow(index) ? index.siblingAtColumn(0) : index;
}

QRect SftTree::visualRect(const QModelIndex &index) const
{
    QRect rect = QTreeView::visualRect(index);
    if (index.isValid() && index.column() == 0 && !rect.isEmpty() && spansRow(index))
        return QRect(0, rect.top(), std::max(viewport()->width(), header()->length()), rect.height());
    if (index.isValid() && index.column() == 0 && !rect.isEmpty() && frozenWidth() > 0)
        rect.moveLeft(0);
    return rect;
}

bool SftTree::spansRow(const QModelIndex &index) const
{
    return index.isValid() && m_source->rowSpanned(itemOf(index));
}

void SftTree::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    QTreeView::scrollTo(index, hint);
    if (index.isValid())
        scrollToColumn(index.column());
}

void SftTree::drawRow(QPainter *painter, const QStyleOptionViewItem &options, const QModelIndex &index) const
{
    if (spansRow(index)) {
        drawSpanningRow(painter, options, index);
        return;
    }
    QTreeView::drawRow(painter, options, index);
    const int frozen = frozenWidth();
    if (frozen <= 0) {
        paintRange(painter, index.row());
        return;
    }
    const QModelIndex id = index.siblingAtColumn(0);
    QStyleOptionViewItem option = options;
    option.rect = QRect(0, options.rect.top(), frozen, options.rect.height());
    option.state.setFlag(QStyle::State_Selected, selectionModel()->isSelected(id));
    option.state.setFlag(QStyle::State_HasFocus, id == currentIndex() && hasFocus());
    option.viewItemPosition = QStyleOptionViewItem::OnlyOne;
    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, palette().brush(QPalette::Base));
    style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, painter, this);
    itemDelegateForIndex(id)->paint(painter, option, id);
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(frozen - 1, option.rect.top(), frozen - 1, option.rect.bottom());
    painter->restore();
    paintRange(painter, index.row());
}

QStyleOptionViewItem SftTree::cellOption(const QModelIndex &cell) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(cell);
    return option;
}

int SftTree::textPositionAt(const QPoint &globalPos, int row, int column) const
{
    const QModelIndex cell = viewIndex(row, column);
    const auto *delegate = qobject_cast<const SftTreeCellDelegate *>(itemDelegateForIndex(cell));
    if (!cell.isValid() || !delegate)
        return -1;
    return delegate->textPositionAt(cellOption(cell), cell, viewport()->mapFromGlobal(globalPos));
}

QList<QRect> SftTree::underlineRects(int row, int column) const
{
    const QModelIndex cell = viewIndex(row, column);
    const auto *delegate = qobject_cast<const SftTreeCellDelegate *>(itemDelegateForIndex(cell));
    if (!cell.isValid() || !delegate)
        return {};
    return delegate->underlineRects(cellOption(cell), cell);
}

void SftTree::drawSpanningRow(QPainter *painter, const QStyleOptionViewItem &options, const QModelIndex &index) const
{
    const QModelIndex cell = index.siblingAtColumn(0);
    QStyleOptionViewItem option = options;
    option.rect = visualRect(cell);
    option.state.setFlag(QStyle::State_Selected, selectionModel()->isSelected(cell));
    option.state.setFlag(QStyle::State_HasFocus, cell == currentIndex() && hasFocus());
    option.viewItemPosition = QStyleOptionViewItem::OnlyOne;
    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, palette().brush(QPalette::Base));
    style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, painter, this);
    itemDelegateForIndex(cell)->paint(painter, option, cell);
    painter->restore();
}

QItemSelectionModel::SelectionFlags SftTree::selectionCommand(const QModelIndex &index, const QEvent *event) const
{
    // A key that moves the cell selects its row, whatever modifiers it carries.
    if (event && event->type() == QEvent::KeyPress)
        return index.isValid() ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                               : QItemSelectionModel::NoUpdate;
    return QTreeView::selectionCommand(index, event);
}

void SftTree::contextMenuEvent(QContextMenuEvent *event)
{
    // Right clicks open the menu as they press; the keyboard's request may come
    // here as well as a key, and opens it once.
    if (event->reason() != QContextMenuEvent::Keyboard) {
        QTreeView::contextMenuEvent(event);
        return;
    }
    if (!std::exchange(m_menuKeyHandled, false))
        openMenuFromKeyboard(shiftState(event->modifiers()));
    event->accept();
}

void SftTree::mousePressEvent(QMouseEvent *event)
{
    m_lastClickPosition = event->globalPosition().toPoint();
    const QPoint pos = event->position().toPoint();
    const QModelIndex cell = indexAt(pos);
    const int button = buttonCode(event->button());
    const int shift = shiftState(event->modifiers());
    // Only the left button selects; a right click leaves the selection alone.
    if (event->button() == Qt::LeftButton) {
        m_extending = event->modifiers() & Qt::ShiftModifier;
        QTreeView::mousePressEvent(event);
        m_extending = false;
        m_dragging = cell.isValid();
    } else
        event->accept();
    if (!cell.isValid()) {
        emit ItemClick(-1, header()->logicalIndexAt(pos.x()), AreaNone, button, shift);
        return;
    }
    const QRect rect = visualRect(cell);
    const int row = itemOf(cell);
    const QFont cellFont = m_source->fontOf(m_source->cellFont(row, cell.column()));
    const int textWidth = QFontMetrics(cellFont).horizontalAdvance(m_source->cellText(row, cell.column()));
    const int area = pos.x() - rect.left() <= textWidth + kTextMargin ? AreaCellText : AreaCell;
    m_rangeClick = event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier);
    emit ItemClick(row, cell.column(), area, button, shift);
    m_rangeClick = false;
}

void SftTree::keyPressEvent(QKeyEvent *event)
{
    // The keyboard way to a cell's editor: the same event as a click on it.
    const QModelIndex current = currentIndex();
    if (opensCellEditor(*event) && current.isValid()) {
        emit ItemClick(itemOf(current), current.column(), AreaCellText, LeftButton, shiftState(event->modifiers()));
        event->accept();
        return;
    }
    // Ctrl+Shift+Left/Right moves the current column, as dragging its header does.
    if ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)
        && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)) {
        if (current.isValid() && current.column() != 0) {
            const int from = header()->visualIndex(current.column());
            const int to = from + (event->key() == Qt::Key_Left ? -1 : 1);
            if (to >= 1 && to < header()->count()) {
                header()->moveSection(from, to);
                scrollTo(current);
            }
        }
        event->accept();
        return;
    }
    if (opensMenu(*event)) {
        m_menuKeyHandled = event->key() == Qt::Key_Menu;
        openMenuFromKeyboard(shiftState(event->modifiers()));
        event->accept();
        return;
    }
    if (typesCharacter(*event) && startTypingInCell(event)) {
        event->accept();
        return;
    }
    // With Shift the moves stretch the range of selected cells.
    m_extending = event->modifiers() & Qt::ShiftModifier;
    QTreeView::keyPressEvent(event);
    m_extending = false;
}

// Typing on a cell opens it as a click does, and the key becomes its first character.
bool SftTree::startTypingInCell(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    if (m_editing || !current.isValid() || !columnEditable(current.column()))
        return false;
    const int row = itemOf(current);
    emit ItemClick(row, current.column(), AreaCellText, LeftButton, shiftState(event->modifiers()));
    if (!m_editing || m_editRow != row || m_editColumn != current.column())
        return false;
    QKeyEvent typed(QEvent::KeyPress, event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                    event->count());
    QCoreApplication::sendEvent(m_editor, &typed);
    return true;
}

void SftTree::openMenuFromKeyboard(int shift)
{
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        const QRect cell = visualRect(current);
        m_lastClickPosition = viewport()->mapToGlobal(QPoint(std::max(cell.left(), 0), cell.bottom()));
        emit ItemClick(itemOf(current), current.column(), AreaCellText, RightButton, shift);
        return;
    }
    // No rows: the menu of the first column's header, which can still add a string.
    const int column = firstEditableColumn();
    if (column < 0)
        return;
    m_lastClickPosition =
        header()->mapToGlobal(QPoint(std::max(header()->sectionViewportPosition(column), 0), header()->height()));
    emit ItemClick(-1, column, AreaColumnHeader, RightButton, shift);
}

int SftTree::firstEditableColumn() const
{
    const int count = header()->count();
    for (int visual = 0; visual < count; ++visual) {
        const int column = header()->logicalIndex(visual);
        if (columnEditable(column))
            return column;
    }
    return count > 0 ? header()->logicalIndex(0) : -1;
}

void SftTree::ensureCurrentCell()
{
    if (currentIndex().isValid() || shownItemCount() == 0 || !selectionModel())
        return;
    selectionModel()->setCurrentIndex(m_rowView->index(0, firstEditableColumn()), QItemSelectionModel::NoUpdate);
}

bool SftTree::event(QEvent *event)
{
    // The window's own shortcuts on these keys (a host's F2) wait while the grid has a cell to open.
    if (event->type() == QEvent::ShortcutOverride && opensCellEditor(*static_cast<QKeyEvent *>(event))
        && currentIndex().isValid()) {
        event->accept();
        return true;
    }
    return QTreeView::event(event);
}

void SftTree::scrollContentsBy(int dx, int dy)
{
    QTreeView::scrollContentsBy(dx, dy);
    // Moving pixels sideways would move the frozen column with them.
    if (dx != 0) {
        viewport()->update();
        header()->viewport()->update();
    }
    placeEditor();
}

void SftTree::updateGeometries()
{
    QTreeView::updateGeometries();
    placeEditor();
}

bool SftTree::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress)
            return editorKeyPress(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::FocusOut) {
            // Leaving the cell for another control keeps what was typed; a pop-up
            // menu or another window taking the focus for a moment does not end it.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                endEdit(true);
        }
        return false;
    }
    if (watched == header()->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        m_lastClickPosition = mouse->globalPosition().toPoint();
        const int x = mouse->position().toPoint().x();
        if (x < frozenWidth()) {
            // Column 0's header, drawn over the sections scrolled under it: never dragged or resized.
            emit ItemClick(-1, 0, AreaColumnHeader, buttonCode(mouse->button()), shiftState(mouse->modifiers()));
            if (mouse->button() == Qt::LeftButton)
                emit HeaderClick(0);
            return true;
        }
        m_headerPressed = mouse->button() == Qt::LeftButton;
        m_resizedByUser = false;
        const int column = header()->logicalIndexAt(x);
        if (mouse->button() == Qt::LeftButton) {
            // Near a section edge the press starts a resize; leave it to the header.
            const int left = header()->sectionViewportPosition(column);
            const int right = left + header()->sectionSize(column);
            if (column < 0 || x - left < kHandleWidth || right - x < kHandleWidth)
                return false;
        }
        emit ItemClick(-1, column, column < 0 ? AreaNone : AreaColumnHeader, buttonCode(mouse->button()),
                       shiftState(mouse->modifiers()));
        return mouse->button() != Qt::LeftButton;
    }
    if (watched == header()->viewport() && event->type() == QEvent::MouseButtonRelease && m_headerPressed) {
        m_headerPressed = false;
        if (std::exchange(m_resizedByUser, false))
            emit ColumnLayoutChanged();
    }
    return QTreeView::eventFilter(watched, event);
}

void SftTree::applyColumnSettings()
{
    m_applyingSettings = true;
    const int count = std::min(static_cast<int>(m_columns.size()), header()->count());
    for (int column = 0; column < count; ++column) {
        const ColumnSettings &settings = m_columns[column];
        const int current = header()->sectionSize(column);
        const int wanted = settings.widthPixels >= 0 ? settings.widthPixels : current;
        const int width = std::max(wanted, settings.minWidthPixels);
        if (width != current)
            header()->resizeSection(column, width);
    }
    m_applyingSettings = false;
    placeEditor();
}

void SftTree::sectionResized(int column, int, int newSize)
{
    if (m_applyingSettings || m_resetting || column < 0 || column >= static_cast<int>(m_columns.size()))
        return;
    ColumnSettings &settings = m_columns[column];
    if (newSize < settings.minWidthPixels) {
        m_applyingSettings = true;
        header()->resizeSection(column, settings.minWidthPixels);
        m_applyingSettings = false;
        newSize = settings.minWidthPixels;
    }
    // A width the user dragged to survives the next refill.
    settings.widthPixels = newSize;
    if (m_headerPressed)
        m_resizedByUser = true;
    placeEditor();
}

bool SftTree::editorKeyPress(QKeyEvent *event)
{
    int key = virtualKeyOf(*event);
    int shift = shiftState(event->modifiers());
    if (event->key() == Qt::Key_Backtab)
        shift |= ShiftMask;
    emit CEKeyDown(key, shift, m_editRow, m_editColumn, m_editor->text());
    if (key == 0 || !m_editing)
        return true;
    switch (key) {
    case KeyEnter:
        // Shift+Enter and Ctrl+Enter type a line break; Enter alone ends the edit.
        if (shift & (ShiftMask | CtrlMask))
            m_editor->insertLineBreak();
        else
            endEdit(true);
        return true;
    case KeyEscape:
        endEdit(false);
        return true;
    case KeyTab:
        return true;  // never lets the focus wander off the cell
    default:
        return false;
    }
}

void SftTree::placeEditor()
{
    if (!m_editing)
        return;
    const QRect cell = visualRect(viewIndex(m_editRow, m_editColumn));
    // As tall as the whole text needs, within the viewport, moved up when it would run off its foot.
    const int room = viewport()->height();
    const int height = std::min(std::max(cell.height(), m_editor->contentHeight(cell.width())), std::max(room, 1));
    int top = cell.top();
    if (top >= 0 && top + height > room)
        top = std::max(room - height, 0);
    m_editor->setGeometry(cell.left(), top, cell.width(), height);
}

QRect SftTree::visibleCellArea(int column) const
{
    QRect area = viewport()->rect();
    if (column != 0)
        area.setLeft(frozenWidth());
    return area;
}

int SftTree::frozenWidth() const
{
    if (header()->count() < 2 || header()->visualIndex(0) != 0 || header()->offset() <= 0)
        return 0;
    const int width = header()->sectionSize(0);
    return width < viewport()->width() ? width : 0;
}

void SftTree::applyColumnOrder()
{
    if (static_cast<int>(m_order.size()) != header()->count())
        return;
    m_applyingSettings = true;
    for (int visual = 0; visual < static_cast<int>(m_order.size()); ++visual) {
        const int from = header()->visualIndex(m_order[visual]);
        if (from != visual)
            header()->moveSection(from, visual);
    }
    m_applyingSettings = false;
}

void SftTree::sectionMoved()
{
    if (m_applyingSettings)
        return;
    if (header()->visualIndex(0) != 0) {
        m_applyingSettings = true;
        header()->moveSection(header()->visualIndex(0), 0);
        m_applyingSettings = false;
    }
    const QList<int> order = columnOrder();
    m_order.assign(order.begin(), order.end());
    placeEditor();
    emit ColumnLayoutChanged();
}

void SftTree::closeEditor()
{
    if (!m_editing)
        return;
    const bool hadFocus = m_editor->hasFocus();
    m_editing = false;
    m_editRow = -1;
    m_editColumn = -1;
    m_editor->hide();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
}

int SftTree::shiftState(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ShiftMask;
    if (modifiers & Qt::ControlModifier)
        shift |= CtrlMask;
    if (modifiers & Qt::AltModifier)
        shift |= AltMask;
    return shift;
}

int SftTree::buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return LeftButton;
    case Qt::RightButton:
        return RightButton;
    case Qt::MiddleButton:
        return MiddleButton;
    default:
        return 0;
    }
}

} // namespace win32
