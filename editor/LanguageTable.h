#pragma once

#include "editor/LanguageColumn.h"

#include <QList>
#include <QString>

#include <vector>

// The languages the grid shows, in column order: language i sits in column
// i + 1 (column 0 holds the string IDs). The table keeps room for more
// languages than it holds, and grows by ten beyond what it needs.
class LanguageTable {
public:
    explicit LanguageTable(int room = 0);

    // The languages of a file, with their names and fonts.
    void assign(const QList<qint32> &locales);
    // A language at the end, in the font chosen for it before.
    void append(qint32 localeId, const QString &name);
    // The same at `index` (the end when out of range); the columns from there move right.
    void insert(int index, qint32 localeId, const QString &name);
    // The name a file's language is shown with.
    static QString nameOf(qint32 localeId);
    // False when the table does not hold the language; the columns after it move left.
    bool remove(qint32 localeId);
    void clear();

    int count() const { return m_count; }
    int last() const { return m_count - 1; }
    int upperBound() const { return static_cast<int>(m_entries.size()) - 1; }
    bool isEmpty() const { return m_count == 0; }

    // The entry at index 0 … last().
    const LanguageColumn &operator[](int index) const { return m_entries[static_cast<std::size_t>(index)]; }
    LanguageColumn &operator[](int index) { return m_entries[static_cast<std::size_t>(index)]; }
    const LanguageColumn *begin() const { return m_entries.data(); }
    const LanguageColumn *end() const { return m_entries.data() + m_count; }

    // -1 when the table does not hold the locale, or the column shows no language.
    int indexOf(qint32 localeId) const;
    int indexOfColumn(int column) const;
    int columnOf(qint32 localeId) const;
    qint32 localeOf(int column) const;
    bool contains(qint32 localeId) const { return indexOf(localeId) >= 0; }

    QList<qint32> locales() const;
    // The language columns in table order.
    std::vector<int> columns() const;

private:
    void makeRoom(int index);
    std::vector<LanguageColumn> m_entries;
    int m_count = 0;
};
