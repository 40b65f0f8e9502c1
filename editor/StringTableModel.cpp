#include "editor/StringTableModel.h"

#include "platform/resutil/ResStrings.h"
#include "reviewstate/ReviewStates.h"
#include "support/ErrorTrap.h"

#include <algorithm>
#include <iterator>

StringTableModel::StringTableModel(resutil::ResStrings &strings, int languageRoom, QObject *parent)
    : SftTreeSource(parent), m_strings(strings), m_languages(languageRoom)
{
    readRowsAndLanguages();
}

void StringTableModel::readRowsAndLanguages()
{
    m_ids.clear();
    m_ids.reserve(static_cast<std::size_t>(std::min<qsizetype>(m_strings.Count(), 65536)));
    m_strings.Peek([this](const resutil::ResStrings::Peeked &entry) {
        // A file lists a language's strings by ID: the first language's come
        // in order, and the others' are mostly there already.
        if (m_ids.empty() || entry.id > m_ids.back()) {
            m_ids.push_back(entry.id);
            return;
        }
        const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), entry.id);
        if (*at != entry.id)
            m_ids.insert(at, entry.id);
    });
    m_languages.assign(m_strings.Languages());
}

int StringTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_ids.size());
}

int StringTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_languages.count() + 1;
}

bool StringTableModel::hasItemData(int row) const { return row >= 0 && row < rowCount(); }

qint32 StringTableModel::itemData(int row) const { return hasItemData(row) ? m_ids[std::size_t(row)] : 0; }

int StringTableModel::findItemData(qint32 id) const
{
    const auto found = std::lower_bound(m_ids.begin(), m_ids.end(), id);
    return found != m_ids.end() && *found == id ? static_cast<int>(found - m_ids.begin()) : -1;
}

QString StringTableModel::cellText(int row, int column) const
{
    if (!hasItemData(row) || column < 0 || column >= columnCount())
        return {};
    const qint32 id = m_ids[std::size_t(row)];
    if (column == 0)
        return QString::number(id);
    if (m_held)
        return {};
    return m_strings.TextOf(m_languages.localeOf(column), id);
}

QStringView StringTableModel::cellTextView(int row, int column, QString &scratch) const
{
    if (column != 0 && hasItemData(row) && column < columnCount() && !m_held)
        return m_strings.TextViewOf(m_languages.localeOf(column), m_ids[std::size_t(row)]);
    scratch = cellText(row, column);
    return scratch;
}

QString StringTableModel::cellFont(int row, int column) const
{
    if (!hasItemData(row) || column < 1 || column >= columnCount())
        return {};
    return m_languages[m_languages.indexOfColumn(column)].FontName;
}

QString StringTableModel::columnCaption(int column) const
{
    if (column == 0)
        return m_idCaption;
    const int index = m_languages.indexOfColumn(column);
    return index < 0 ? QString() : m_languages[index].LanguageName;
}

void StringTableModel::setIdCaption(const QString &caption)
{
    if (caption == m_idCaption)
        return;
    m_idCaption = caption;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int StringTableModel::insertionRow(qint32 id) const
{
    return static_cast<int>(std::lower_bound(m_ids.begin(), m_ids.end(), id) - m_ids.begin());
}

int StringTableModel::addRow(qint32 id)
{
    const int row = insertionRow(id);
    beginInsertRows(QModelIndex(), row, row);
    m_ids.insert(m_ids.begin() + row, id);
    endInsertRows();
    return row;
}

void StringTableModel::setText(qint32 localeId, qint32 id, const std::optional<QString> &text)
{
    if (!m_languages.contains(localeId))
        insertLanguage(localeId, LanguageTable::nameOf(localeId));
    resutil::ResString *entry = m_strings.Find(localeId, id);
    if (!text) {
        if (entry)
            qm::check(m_strings.Remove(entry));
    } else if (entry) {
        entry->setText(*text);
    } else {
        m_strings.Add(localeId, id, *text);
    }
    const int row = findItemData(id);
    if (row < 0)
        addRow(id);
    else
        emitTextChanged(row, m_languages.columnOf(localeId));
}

bool StringTableModel::insertRow(qint32 id)
{
    if (findItemData(id) >= 0)
        return false;
    addRow(id);
    return true;
}

bool StringTableModel::rowHasTexts(qint32 id) const
{
    return std::any_of(m_languages.begin(), m_languages.end(),
                       [&](const LanguageColumn &language) { return !m_strings.TextOf(language.LocaleID, id).isNull(); });
}

StringTableModel::Removed StringTableModel::removeEntries(bool byLocale, qint32 value)
{
    Removed removed;
    std::size_t position = 0;
    m_strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if ((byLocale ? entry.localeId : entry.id) == value)
            removed.emplace_back(position, StringRecord{entry.localeId, entry.id, m_strings.TextAt(entry.position)});
        ++position;
    });
    // Of two entries with the same keys Find gives the earlier, which goes first.
    for (const auto &[at, record] : removed)
        qm::check(m_strings.Remove(m_strings.Find(record.localeId, record.id)));
    return removed;
}

StringTableModel::Removed StringTableModel::removeRow(qint32 id)
{
    Removed removed = removeEntries(false, id);
    if (const int row = findItemData(id); row >= 0) {
        beginRemoveRows(QModelIndex(), row, row);
        m_ids.erase(m_ids.begin() + row);
        endRemoveRows();
    }
    return removed;
}

void StringTableModel::restoreRow(qint32 id, const Removed &records)
{
    ReinsertRecords(m_strings, records);
    const int row = findItemData(id);
    if (row < 0)
        addRow(id);
    else
        emitRowChanged(row);
}

template <typename Change>
void StringTableModel::changeLanguages(Change &&change)
{
    emit languagesAboutToChange();
    beginResetModel();
    change();
    endResetModel();
    emit languagesChanged();
}

void StringTableModel::insertLanguage(qint32 localeId, const QString &name, int index)
{
    if (m_languages.contains(localeId))
        return;
    changeLanguages([&] { m_languages.insert(index, localeId, name); });
}

StringTableModel::RemovedLanguage StringTableModel::removeLanguage(qint32 localeId)
{
    RemovedLanguage removed;
    const int index = m_languages.indexOf(localeId);
    if (index < 0)
        return removed;
    removed.localeId = localeId;
    removed.name = m_languages[index].LanguageName;
    removed.index = index;
    changeLanguages([&] {
        removed.records = removeEntries(true, localeId);
        m_languages.remove(localeId);
        // A string whose only texts were in this language goes with them; rows still empty stay.
        std::vector<qint32> hadTexts;
        hadTexts.reserve(removed.records.size());
        for (const auto &[position, record] : removed.records)
            hadTexts.push_back(record.id);
        std::sort(hadTexts.begin(), hadTexts.end());
        std::erase_if(m_ids, [&](qint32 id) {
            return std::binary_search(hadTexts.begin(), hadTexts.end(), id) && !rowHasTexts(id);
        });
    });
    return removed;
}

void StringTableModel::restoreLanguage(const RemovedLanguage &removed)
{
    changeLanguages([&] {
        ReinsertRecords(m_strings, removed.records);
        if (!m_languages.contains(removed.localeId))
            m_languages.insert(removed.index, removed.localeId, removed.name);
        std::vector<qint32> gone;
        for (const auto &[position, record] : removed.records) {
            if (findItemData(record.id) < 0)
                gone.push_back(record.id);
        }
        std::sort(gone.begin(), gone.end());
        gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
        std::vector<qint32> merged;
        merged.reserve(m_ids.size() + gone.size());
        std::merge(m_ids.begin(), m_ids.end(), gone.begin(), gone.end(), std::back_inserter(merged));
        m_ids = std::move(merged);
    });
}

void StringTableModel::setLanguageFont(qint32 localeId, const QString &fontName)
{
    const int index = m_languages.indexOf(localeId);
    if (index < 0 || m_languages[index].FontName == fontName)
        return;
    LanguageTable &languages = m_languages;
    languages[index].FontName = fontName;
    const int column = languages[index].Column;
    if (rowCount() > 0)
        emit dataChanged(this->index(0, column), this->index(rowCount() - 1, column), {Qt::FontRole});
}

void StringTableModel::replaceStrings(const StringSnapshot &records)
{
    changeLanguages([&] {
        RestoreSnapshot(m_strings, records);
        readRowsAndLanguages();
    });
}

void StringTableModel::stringsReplaced()
{
    changeLanguages([&] { readRowsAndLanguages(); });
}

std::vector<qint32> StringTableModel::addRowsOfNewEntries()
{
    std::vector<qint32> newIds;
    std::vector<qint32> withoutColumn;
    qint32 locale = -1;
    bool shown = true;
    m_strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if (entry.localeId != locale) {
            locale = entry.localeId;
            shown = m_languages.contains(locale);
        }
        if (!shown)
            withoutColumn.push_back(locale);
        if (findItemData(entry.id) < 0)
            newIds.push_back(entry.id);
    });
    std::sort(newIds.begin(), newIds.end());
    newIds.erase(std::unique(newIds.begin(), newIds.end()), newIds.end());
    // A few rows go in one by one, keeping the view's place; many at once are a new table.
    constexpr std::size_t kRowsInsertedSingly = 16;
    if (newIds.size() <= kRowsInsertedSingly) {
        for (qint32 id : newIds)
            addRow(id);
    } else {
        beginResetModel();
        std::vector<qint32> merged;
        merged.reserve(m_ids.size() + newIds.size());
        std::merge(m_ids.begin(), m_ids.end(), newIds.begin(), newIds.end(), std::back_inserter(merged));
        m_ids = std::move(merged);
        endResetModel();
    }
    return withoutColumn;
}

void StringTableModel::setHeld(bool held)
{
    if (held == m_held)
        return;
    m_held = held;
    if (rowCount() > 0 && columnCount() > 1)
        emit dataChanged(index(0, 1), index(rowCount() - 1, columnCount() - 1));
}

QVariant StringTableModel::data(const QModelIndex &index, int role) const
{
    if (role != ReviewStateRole)
        return SftTreeSource::data(index, role);
    const std::optional<reviewstate::State> state = index.isValid() ? reviewState(index.row(), index.column()) : std::nullopt;
    return state ? QVariant(int(*state)) : QVariant();
}

std::optional<reviewstate::State> StringTableModel::reviewState(int row, int column) const
{
    if (!m_states || m_held || !hasItemData(row) || column < 1 || column >= columnCount())
        return std::nullopt;
    return m_states->state(m_languages.localeOf(column), m_ids[std::size_t(row)]);
}

void StringTableModel::reviewStatesChanged(qint32 id)
{
    if (const int row = findItemData(id); row >= 0)
        emitRowChanged(row, {ReviewStateRole, Qt::DecorationRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole,
                             CellNoteRole});
}
