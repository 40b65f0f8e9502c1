#include "platform/win32/SftTreeModel.h"

#include <algorithm>
#include <numeric>

namespace win32 {

SftTreeModel::SftTreeModel(QObject *parent) : SftTreeSource(parent) {}

int SftTreeModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_rows; }

int SftTreeModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_columns; }

void SftTreeModel::setColumns(int count)
{
    count = std::max(count, 0);
    if (count == m_columns)
        return;
    if (!m_bulk)
        beginResetModel();
    std::vector<QString> texts(static_cast<std::size_t>(m_rows) * count);
    std::vector<quint16> fonts(texts.size(), 0);
    const int kept = std::min(count, m_columns);
    for (int row = 0; row < m_rows; ++row) {
        for (int column = 0; column < kept; ++column) {
            const std::size_t from = cellIndex(row, column);
            const std::size_t to = static_cast<std::size_t>(row) * count + column;
            texts[to] = std::move(m_texts[from]);
            fonts[to] = m_fonts[from];
        }
    }
    m_texts = std::move(texts);
    m_fonts = std::move(fonts);
    m_columns = count;
    m_captions.resize(count);
    dropColumnToolTipsFrom(count);
    m_columnFonts.resize(static_cast<std::size_t>(count), 0);
    if (!m_bulk)
        endResetModel();
}

void SftTreeModel::setColumnCaption(int column, const QString &caption)
{
    if (column < 0 || column >= m_columns || m_captions[column] == caption)
        return;
    m_captions[column] = caption;
    if (!m_bulk)
        emit headerDataChanged(Qt::Horizontal, column, column);
}

QString SftTreeModel::columnCaption(int column) const
{
    return column >= 0 && column < m_columns ? m_captions[column] : QString();
}

void SftTreeModel::clearRows()
{
    if (m_rows == 0)
        return;
    if (!m_bulk)
        beginResetModel();
    m_rows = 0;
    m_texts.clear();
    m_fonts.clear();
    m_itemData.clear();
    m_hasItemData.clear();
    m_spanned.clear();
    m_rowOfItemData.clear();
    m_indexValid = true;
    if (!m_bulk)
        endResetModel();
}

int SftTreeModel::addRow(const QString &column0Text)
{
    const int row = m_rows;
    if (!m_bulk)
        beginInsertRows(QModelIndex(), row, row);
    m_texts.resize(m_texts.size() + m_columns);
    m_fonts.resize(m_fonts.size() + m_columns, 0);
    m_itemData.push_back(0);
    m_hasItemData.push_back(false);
    m_spanned.push_back(false);
    ++m_rows;
    if (m_columns > 0)
        m_texts[cellIndex(row, 0)] = column0Text;
    if (!m_bulk)
        endInsertRows();
    return row;
}

void SftTreeModel::reserveRows(int rows)
{
    const auto cells = static_cast<std::size_t>(rows) * static_cast<std::size_t>(m_columns);
    m_texts.reserve(cells);
    m_fonts.reserve(cells);
    m_itemData.reserve(static_cast<std::size_t>(rows));
    m_hasItemData.reserve(static_cast<std::size_t>(rows));
    m_spanned.reserve(static_cast<std::size_t>(rows));
}

bool SftTreeModel::removeRow(int row)
{
    if (row < 0 || row >= m_rows)
        return false;
    if (!m_bulk)
        beginRemoveRows(QModelIndex(), row, row);
    const auto first = static_cast<std::ptrdiff_t>(cellIndex(row, 0));
    m_texts.erase(m_texts.begin() + first, m_texts.begin() + first + m_columns);
    m_fonts.erase(m_fonts.begin() + first, m_fonts.begin() + first + m_columns);
    m_itemData.erase(m_itemData.begin() + row);
    m_hasItemData.erase(m_hasItemData.begin() + row);
    m_spanned.erase(m_spanned.begin() + row);
    --m_rows;
    m_indexValid = false;
    if (!m_bulk)
        endRemoveRows();
    return true;
}

void SftTreeModel::setItemData(int row, qint32 value)
{
    if (row < 0 || row >= m_rows)
        return;
    if (m_hasItemData[row]) {
        m_indexValid = false;
    } else if (m_indexValid) {
        const auto found = m_rowOfItemData.constFind(value);
        if (found == m_rowOfItemData.cend() || found.value() > row)
            m_rowOfItemData.insert(value, row);
    }
    m_itemData[row] = value;
    m_hasItemData[row] = true;
    if (!m_bulk && m_columns > 0)
        emit dataChanged(index(row, 0), index(row, 0), {Qt::UserRole});
}

qint32 SftTreeModel::itemData(int row) const
{
    return row >= 0 && row < m_rows ? m_itemData[row] : 0;
}

bool SftTreeModel::hasItemData(int row) const { return row >= 0 && row < m_rows && m_hasItemData[row]; }

void SftTreeModel::setRowSpanned(int row, bool spanned)
{
    if (row < 0 || row >= m_rows || m_spanned[row] == spanned)
        return;
    m_spanned[row] = spanned;
    if (!m_bulk && m_columns > 0)
        emit dataChanged(index(row, 0), index(row, m_columns - 1));
}

bool SftTreeModel::rowSpanned(int row) const { return row >= 0 && row < m_rows && m_spanned[row]; }

int SftTreeModel::findItemData(qint32 value) const
{
    if (!m_indexValid)
        rebuildIndex();
    return m_rowOfItemData.value(value, -1);
}

void SftTreeModel::setCellText(int row, int column, const QString &text)
{
    if (!validCell(row, column))
        return;
    QString &cell = m_texts[cellIndex(row, column)];
    if (cell == text)
        return;
    cell = text;
    emitTextChanged(row, column);
}

QString SftTreeModel::cellText(int row, int column) const
{
    return validCell(row, column) ? m_texts[cellIndex(row, column)] : QString();
}

QStringView SftTreeModel::cellTextView(int row, int column, QString &) const
{
    return validCell(row, column) ? QStringView(m_texts[cellIndex(row, column)]) : QStringView();
}

void SftTreeModel::setCellFont(int row, int column, const QString &fontName)
{
    if (!validCell(row, column))
        return;
    const quint16 id = fontId(fontName);
    quint16 &cell = m_fonts[cellIndex(row, column)];
    if (cell == id)
        return;
    cell = id;
    if (!m_bulk) {
        const QModelIndex changed = index(row, column);
        emit dataChanged(changed, changed, {Qt::FontRole});
    }
}

QString SftTreeModel::cellFont(int row, int column) const
{
    return validCell(row, column) ? m_fontNames[fontIdAt(cellIndex(row, column), column)] : QString();
}

void SftTreeModel::setColumnFont(int column, const QString &fontName)
{
    if (column < 0 || column >= m_columns)
        return;
    const quint16 id = fontId(fontName);
    if (m_columnFonts[static_cast<std::size_t>(column)] == id)
        return;
    m_columnFonts[static_cast<std::size_t>(column)] = id;
    if (!m_bulk && m_rows > 0)
        emit dataChanged(index(0, column), index(m_rows - 1, column), {Qt::FontRole});
}

void SftTreeModel::sortById()
{
    if (m_rows < 2)
        return;
    std::vector<int> order(static_cast<std::size_t>(m_rows));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        if (m_hasItemData[a] != m_hasItemData[b])
            return !m_hasItemData[a];
        if (m_hasItemData[a])
            return m_itemData[a] < m_itemData[b];
        return cellText(a, 0) < cellText(b, 0);
    });
    if (std::is_sorted(order.begin(), order.end()))
        return;

    QModelIndexList before;
    if (!m_bulk) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        before = persistentIndexList();
    }
    std::vector<QString> texts(m_texts.size());
    std::vector<quint16> fonts(m_fonts.size());
    std::vector<qint32> itemData(m_itemData.size());
    std::vector<bool> hasItemData(m_hasItemData.size());
    std::vector<bool> spanned(m_spanned.size());
    std::vector<int> newRowOf(order.size());
    for (int to = 0; to < m_rows; ++to) {
        const int from = order[to];
        newRowOf[from] = to;
        for (int column = 0; column < m_columns; ++column) {
            texts[cellIndex(to, column)] = std::move(m_texts[cellIndex(from, column)]);
            fonts[cellIndex(to, column)] = m_fonts[cellIndex(from, column)];
        }
        itemData[to] = m_itemData[from];
        hasItemData[to] = m_hasItemData[from];
        spanned[to] = m_spanned[from];
    }
    m_texts = std::move(texts);
    m_fonts = std::move(fonts);
    m_itemData = std::move(itemData);
    m_hasItemData = std::move(hasItemData);
    m_spanned = std::move(spanned);
    m_indexValid = false;
    if (!m_bulk) {
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex &old : before)
            after.append(index(newRowOf[old.row()], old.column()));
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
}

void SftTreeModel::beginBulkUpdate()
{
    if (m_bulk)
        return;
    beginResetModel();
    m_bulk = true;
}

void SftTreeModel::endBulkUpdate()
{
    if (!m_bulk)
        return;
    m_bulk = false;
    endResetModel();
}

bool SftTreeModel::validCell(int row, int column) const
{
    return row >= 0 && row < m_rows && column >= 0 && column < m_columns;
}

std::size_t SftTreeModel::cellIndex(int row, int column) const
{
    return static_cast<std::size_t>(row) * m_columns + column;
}

quint16 SftTreeModel::fontId(const QString &fontName)
{
    if (fontName.isEmpty())
        return 0;
    const auto found = m_fontIds.constFind(fontName);
    if (found != m_fontIds.cend())
        return found.value();
    // More distinct faces than any system has installed; fall back to the grid's font.
    if (m_fontNames.size() > 0xFFFF)
        return 0;
    const auto id = static_cast<quint16>(m_fontNames.size());
    m_fontNames.append(fontName);
    m_fontIds.insert(fontName, id);
    return id;
}

void SftTreeModel::rebuildIndex() const
{
    m_rowOfItemData.clear();
    m_rowOfItemData.reserve(m_rows);
    for (int row = m_rows - 1; row >= 0; --row) {
        if (m_hasItemData[row])
            m_rowOfItemData.insert(m_itemData[row], row);
    }
    m_indexValid = true;
}

} // namespace win32
