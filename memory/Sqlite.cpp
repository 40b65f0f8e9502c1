#include "memory/Sqlite.h"

#include <sqlite3.h>

namespace memory::sql {

Database::~Database() { close(); }

int Database::open(const QString &path, int busyTimeoutMs)
{
    close();
    const QByteArray name = path.toUtf8();
    const int code = sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                     nullptr);
    if (code != SQLITE_OK)
        return code;
    sqlite3_extended_result_codes(m_db, 0);
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    return SQLITE_OK;
}

void Database::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

int Database::exec(const char *sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); }

QString Database::lastMessage() const { return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString(); }

Statement::Statement(const Database &db, const char *sql)
{
    m_prepared = sqlite3_prepare_v3(db.handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
}

Statement::~Statement() { sqlite3_finalize(m_stmt); }

void Statement::bind(int index, qint64 value) { sqlite3_bind_int64(m_stmt, index, value); }

void Statement::bind(int index, QStringView text)
{
    // An empty view may have no data pointer, and a null one binds NULL.
    static const char16_t empty = 0;
    sqlite3_bind_text16(m_stmt, index, text.isEmpty() ? &empty : text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
}

void Statement::bindNull(int index) { sqlite3_bind_null(m_stmt, index); }

int Statement::step() { return m_stmt ? sqlite3_step(m_stmt) : m_prepared; }

void Statement::reset()
{
    if (!m_stmt)
        return;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

qint64 Statement::integer(int column) const { return sqlite3_column_int64(m_stmt, column); }

QString Statement::text(int column) const
{
    const auto *data = static_cast<const char16_t *>(sqlite3_column_text16(m_stmt, column));
    const int bytes = sqlite3_column_bytes16(m_stmt, column);
    return data ? QString::fromUtf16(data, bytes / 2) : QString();
}

bool Statement::isNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

bool isDamage(int code)
{
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool isBusy(int code)
{
    const int primary = code & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

} // namespace memory::sql
