#pragma once

// A thin owner of a SQLite connection and its statements, for the memory's
// own use: every step's result code is kept, so the memory can tell a busy
// database from a damaged one.

#include <QByteArray>
#include <QString>
#include <QStringView>

struct sqlite3;
struct sqlite3_stmt;

namespace memory::sql {

class Statement;

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // SQLITE_OK or the code that stopped the open.
    int open(const QString &path, int busyTimeoutMs);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    // Runs one or more statements without results.
    int exec(const char *sql);
    QString lastMessage() const;
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

class Statement {
public:
    Statement(const Database &db, const char *sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    int prepared() const { return m_prepared; }
    void bind(int index, qint64 value);
    void bind(int index, QStringView text);
    void bindNull(int index);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    void reset();
    qint64 integer(int column) const;
    QString text(int column) const;
    bool isNull(int column) const;

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_prepared = 0;
};

// Resets a statement when it goes out of scope, so that a statement kept for
// later holds no read transaction (and no old snapshot) meanwhile.
class Reset {
public:
    explicit Reset(Statement &statement) : m_statement(statement) {}
    ~Reset() { m_statement.reset(); }
    Reset(const Reset &) = delete;
    Reset &operator=(const Reset &) = delete;

private:
    Statement &m_statement;
};

// Whether a result code means the file is not a sound database.
bool isDamage(int code);
// Whether it means another connection holds the lock.
bool isBusy(int code);

} // namespace memory::sql
