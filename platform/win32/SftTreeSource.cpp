#include "platform/win32/SftTreeSource.h"

#include "platform/common/LineBreak.h"

namespace win32 {

SftTreeSource::SftTreeSource(QObject *parent) : QAbstractTableModel(parent) {}

QVariant SftTreeSource::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::AccessibleTextRole:
        return cellText(row, column);
    case Qt::FontRole: {
        const QString name = cellFont(row, column);
        if (name.isEmpty())
            return {};
        auto font = m_fonts.constFind(name);
        if (font == m_fonts.cend())
            font = m_fonts.insert(name, fontOf(name));
        return *font;
    }
    case Qt::ToolTipRole:
    case CellNoteRole:
    case Qt::AccessibleDescriptionRole: {
        // The owner's notes and marks, each on a line of its own.
        QStringList notes;
        if (const QString note = cellNote(row, column); !note.isEmpty())
            notes.append(note);
        if (role != CellNoteRole && m_cellRoles) {
            if (const QString mark = m_cellRoles(row, column, role).toString(); !mark.isEmpty())
                notes.append(mark);
        }
        const QString note = notes.join(QLatin1Char('\n'));
        // A cell shows a text of several lines on one; its tip shows it as written.
        const QString text = role == Qt::ToolTipRole ? cellText(row, column) : QString();
        if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
            return note.isEmpty() ? QVariant() : QVariant(note);
        QString lines = text;
        lines.replace(qm::crlf(), QLatin1String("\n"));
        lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return note.isEmpty() ? lines : lines + QStringLiteral("\n\n") + note;
    }
    case Qt::BackgroundRole:
    case Qt::DecorationRole:
    case UnderlinedRangesRole:
        return m_cellRoles ? m_cellRoles(row, column, role) : QVariant();
    case Qt::TextAlignmentRole:
        // Arabic and Hebrew read from the right, so their cells line up there.
        if (cellText(row, column).isRightToLeft())
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    case Qt::UserRole:
        if (column == 0 && hasItemData(row))
            return itemData(row);
        return {};
    default:
        return {};
    }
}

QVariant SftTreeSource::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return columnCaption(section);
    if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole) {
        QString tip = m_columnTips.value(section);
        if (const QString notes = m_columnNotes ? m_columnNotes(section) : QString(); !notes.isEmpty())
            tip = tip.isEmpty() ? notes : tip + QLatin1Char('\n') + notes;
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    return {};
}

Qt::ItemFlags SftTreeSource::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QStringView SftTreeSource::cellTextView(int row, int column, QString &scratch) const
{
    scratch = cellText(row, column);
    return scratch;
}

QString SftTreeSource::cellNote(int row, int column) const
{
    const bool valid = row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
    return m_cellNotes && valid ? m_cellNotes(row, column) : QString();
}

void SftTreeSource::setColumnToolTip(int column, const QString &tip)
{
    if (column < 0 || column >= columnCount() || m_columnTips.value(column) == tip)
        return;
    if (tip.isEmpty())
        m_columnTips.remove(column);
    else
        m_columnTips.insert(column, tip);
    if (!signalsHeld())
        emit headerDataChanged(Qt::Horizontal, column, column);
}

QString SftTreeSource::columnToolTip(int column) const { return m_columnTips.value(column); }

void SftTreeSource::dropColumnToolTipsFrom(int column)
{
    m_columnTips.removeIf([column](const auto &tip) { return tip.key() >= column; });
}

void SftTreeSource::setCellNotes(CellNotes notes)
{
    m_cellNotes = std::move(notes);
    cellNotesChanged();
}

void SftTreeSource::cellNotesChanged()
{
    emitAllCellsChanged({CellNoteRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

void SftTreeSource::setCellRoles(CellRoles roles)
{
    m_cellRoles = std::move(roles);
    cellRolesChanged();
}

void SftTreeSource::cellRolesChanged()
{
    emitAllCellsChanged(
        {Qt::BackgroundRole, Qt::DecorationRole, Qt::AccessibleDescriptionRole, Qt::ToolTipRole, UnderlinedRangesRole});
}

void SftTreeSource::setBaseFont(const QFont &font)
{
    m_baseFont = font;
    m_fonts.clear();
    emitAllCellsChanged({Qt::FontRole});
}

QFont SftTreeSource::fontOf(const QString &fontName) const
{
    QFont font = m_baseFont;
    if (!fontName.isEmpty())
        font.setFamilies({fontName});
    return font;
}

void SftTreeSource::emitTextChanged(int row, int column)
{
    if (signalsHeld())
        return;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
    if (hasNotes())
        emitRowChanged(row, {CellNoteRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

void SftTreeSource::emitRowChanged(int row, const QList<int> &roles)
{
    if (!signalsHeld() && columnCount() > 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1), roles);
}

void SftTreeSource::emitAllCellsChanged(const QList<int> &roles)
{
    if (!signalsHeld() && rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), roles);
}

} // namespace win32
