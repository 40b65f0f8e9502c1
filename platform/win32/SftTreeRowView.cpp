#include "platform/win32/SftTreeRowView.h"

#include "platform/win32/SftTreeSource.h"

#include <algorithm>
#include <numeric>

namespace win32 {

SftTreeRowView::SftTreeRowView(SftTreeSource *model, QObject *parent) : QAbstractProxyModel(parent), m_model(model)
{
    QAbstractProxyModel::setSourceModel(model);
    m_rows = chooseRows();
    rebuildPositions();
    connectSource();
}

void SftTreeRowView::setSource(SftTreeSource *model)
{
    if (model == m_model)
        return;
    beginResetModel();
    disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    QAbstractProxyModel::setSourceModel(model);
    connectSource();
    m_rows = chooseRows();
    rebuildPositions();
    endResetModel();
}

void SftTreeRowView::connectSource()
{
    SftTreeSource *model = m_model;
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(model, &QAbstractItemModel::modelReset, this, &SftTreeRowView::sourceReset);
    connect(model, &QAbstractItemModel::dataChanged, this, &SftTreeRowView::sourceDataChanged);
    connect(model, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    connect(model, &QAbstractItemModel::rowsInserted, this, &SftTreeRowView::sourceRowsInserted);
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, &SftTreeRowView::sourceRowsAboutToBeRemoved);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &SftTreeRowView::sourceRowsRemoved);
    connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, &SftTreeRowView::sourceLayoutAboutToBeChanged);
    connect(model, &QAbstractItemModel::layoutChanged, this, &SftTreeRowView::sourceLayoutChanged);
}

void SftTreeRowView::setRule(Rule rule)
{
    m_rule = std::move(rule);
    reapply();
}

void SftTreeRowView::reapply()
{
    relayout();
}

int SftTreeRowView::modelRowAt(int position) const
{
    return position >= 0 && position < shownCount() ? m_rows[position] : -1;
}

int SftTreeRowView::positionOf(int modelRow) const
{
    return modelRow >= 0 && modelRow < static_cast<int>(m_positions.size()) ? m_positions[modelRow] : -1;
}

QModelIndex SftTreeRowView::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= shownCount() || column < 0 || column >= m_model->columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex SftTreeRowView::parent(const QModelIndex &) const { return {}; }

int SftTreeRowView::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : shownCount(); }

int SftTreeRowView::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_model->columnCount();
}

bool SftTreeRowView::hasChildren(const QModelIndex &parent) const { return !parent.isValid() && shownCount() > 0; }

QModelIndex SftTreeRowView::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.model() != this)
        return {};
    const int row = modelRowAt(proxyIndex.row());
    return row < 0 ? QModelIndex() : m_model->index(row, proxyIndex.column());
}

QModelIndex SftTreeRowView::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != m_model)
        return {};
    const int position = positionOf(sourceIndex.row());
    return position < 0 ? QModelIndex() : createIndex(position, sourceIndex.column());
}

QVariant SftTreeRowView::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal)
        return m_model->headerData(section, orientation, role);
    return QAbstractItemModel::headerData(section, orientation, role);
}

std::vector<int> SftTreeRowView::chooseRows() const
{
    const int count = m_model->rowCount();
    std::vector<int> rows;
    if (!m_rule) {
        rows.resize(static_cast<std::size_t>(count));
        std::iota(rows.begin(), rows.end(), 0);
        return rows;
    }
    rows = m_rule(*m_model);
    // A row named twice or out of range would break the index both ways.
    std::vector<bool> taken(static_cast<std::size_t>(count), false);
    std::erase_if(rows, [&](int row) {
        if (row < 0 || row >= count || taken[row])
            return true;
        taken[row] = true;
        return false;
    });
    return rows;
}

void SftTreeRowView::rebuildPositions()
{
    m_positions.assign(static_cast<std::size_t>(m_model->rowCount()), -1);
    for (int position = 0; position < shownCount(); ++position)
        m_positions[m_rows[position]] = position;
}

void SftTreeRowView::relayout()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> modelRows;
    modelRows.reserve(before.size());
    for (const QModelIndex &index : before)
        modelRows.push_back(modelRowAt(index.row()));
    m_rows = chooseRows();
    rebuildPositions();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int position = positionOf(modelRows[i]);
        after.append(position < 0 ? QModelIndex() : index(position, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SftTreeRowView::sourceReset()
{
    m_rows = chooseRows();
    rebuildPositions();
    endResetModel();
}

void SftTreeRowView::sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                       const QList<int> &roles)
{
    if (!topLeft.isValid() || !bottomRight.isValid())
        return;
    int first = -1;
    int last = -1;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        const int position = positionOf(row);
        if (position < 0)
            continue;
        first = first < 0 ? position : std::min(first, position);
        last = std::max(last, position);
    }
    if (first >= 0)
        emit dataChanged(index(first, topLeft.column()), index(last, bottomRight.column()), roles);
}

void SftTreeRowView::sourceRowsInserted(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    const int count = last - first + 1;
    for (int &row : m_rows) {
        if (row >= first)
            row += count;
    }
    const int at = shownCount();
    beginInsertRows(QModelIndex(), at, at + count - 1);
    for (int row = first; row <= last; ++row)
        m_rows.push_back(row);
    rebuildPositions();
    endInsertRows();
    if (last + 1 < m_model->rowCount())
        relayout();
}

void SftTreeRowView::sourceRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    // From the end, so that each position removed leaves the earlier ones in place.
    for (int row = last; row >= first; --row) {
        const int position = positionOf(row);
        if (position < 0)
            continue;
        beginRemoveRows(QModelIndex(), position, position);
        m_rows.erase(m_rows.begin() + position);
        rebuildPositions();
        endRemoveRows();
    }
}

void SftTreeRowView::sourceRowsRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    const int count = last - first + 1;
    for (int &row : m_rows) {
        if (row > last)
            row -= count;
    }
    rebuildPositions();
}

void SftTreeRowView::sourceLayoutAboutToBeChanged()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_layoutProxyIndexes = persistentIndexList();
    m_layoutSourceIndexes.clear();
    for (const QModelIndex &index : std::as_const(m_layoutProxyIndexes))
        m_layoutSourceIndexes.append(QPersistentModelIndex(mapToSource(index)));
}

void SftTreeRowView::sourceLayoutChanged()
{
    m_rows = chooseRows();
    rebuildPositions();
    QModelIndexList after;
    after.reserve(m_layoutProxyIndexes.size());
    for (const QPersistentModelIndex &source : std::as_const(m_layoutSourceIndexes))
        after.append(mapFromSource(source));
    changePersistentIndexList(m_layoutProxyIndexes, after);
    m_layoutProxyIndexes.clear();
    m_layoutSourceIndexes.clear();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace win32
