#pragma once

#include <QFile>
#include <QString>
#include <QStringView>

#include <bitset>
#include <memory>
#include <vector>

namespace resutil {

// The string tables of a .res file read where they lie in the file, for a
// pass that only reads a large file (an export): the file is checked once
// through a mapping whose pages are let go as the check goes on, then texts
// are read a window at a time, so memory does not follow the file's size.
// The table comes in the order a loaded collection gives: languages
// ascending, IDs in order of first occurrence. The tables may lie in the
// file in any order; in key order (as writers put them) it is read in one pass.
//
// The file must not shrink while open() reads it.
class MappedStringTables {
public:
    // The file's tables, or nullptr for a file this does not read: one that
    // cannot be mapped, or that has a fault (or tables at odd offsets). Load
    // such a file with ResFile, which says what is wrong.
    static std::unique_ptr<MappedStringTables> open(const QString &path);
    ~MappedStringTables();
    MappedStringTables(const MappedStringTables &) = delete;
    MappedStringTables &operator=(const MappedStringTables &) = delete;

    const std::vector<qint32> &ids() const { return m_ids; }
    const std::vector<qint32> &locales() const { return m_locales; }
    qsizetype count() const { return m_count; }
    QString fileName() const { return m_path; }

    // The text of id in the language locales()[column], null where there is
    // none, valid until a text of another table of that column is asked for.
    // Ask for a column's IDs mostly in ascending order: each table is read
    // once per run of its IDs.
    QStringView text(std::size_t column, qint32 id);

    // False once a table read differently from when it was opened: the file
    // changed meanwhile, and texts after that are missing.
    bool intact() const { return m_intact; }

private:
    struct Table {
        quint32 key; // language << 16 | table name
        quint32 size;
        qint64 offset; // of its data
    };
    struct Column {
        qint32 locale = 0;
        std::size_t first = 0, end = 0; // its language's range in m_tables
        int name = -1;                  // the table whose strings are below
        const char16_t *units[16] = {}; // in window
        quint16 sizes[16] = {};
        std::vector<char16_t> window; // the file's bytes from windowAt on
        qint64 windowAt = 0, windowBytes = 0;
    };
    MappedStringTables() = default;
    bool read(); // the first pass, over the whole file
    void readTable(Column &column, int name);
    void letGo(qint64 upTo);

    QString m_path; // a file opened by its descriptor has no name of its own
    QFile m_file;
    const uchar *m_bytes = nullptr;
    qint64 m_size = 0;
    std::vector<Table> m_tables; // sorted by key
    std::vector<Column> m_columns;
    std::vector<qint32> m_ids, m_locales;
    std::bitset<65536> m_seen;
    qsizetype m_count = 0;
    qint64 m_windowSize = 0;
    bool m_intact = true;
};

} // namespace resutil
