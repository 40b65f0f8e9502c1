#pragma once

// The translation memory: one SQLite database per user, shared by every host
// and command-line run (WAL mode and a busy timeout). One row per source
// locale, source text, target locale and target text, with the file and
// string ID it last came from and when.

#include "platform/common/Result.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace memory {

namespace sql {
class Database;
class Statement;
}

struct Entry {
    qint32 sourceLocale = 0;
    QString sourceText;
    qint32 targetLocale = 0;
    QString targetText;
    QString file;          // where it came from; empty when unknown
    qint32 stringId = -1;  // -1 when it came from no string table
    qint64 changed = 0;    // seconds since 1970 (UTC); 0 takes the time of the add
};

struct Suggestion {
    int percent = 0;       // 100: the same text once access keys, placeholders and the like are set aside
    QString text;          // the stored translation with the looked-up text's access key, placeholders, ...
    QString storedSource;
    QString storedTarget;
    QString file;
    qint32 stringId = -1;
    qint64 changed = 0;
};

struct LookupOptions {
    int minMatch = 70;     // percent
    int limit = 9;
};

struct LocalePairCount {
    qint32 sourceLocale, targetLocale;
    qint64 entries;
};

struct Stats {
    qint64 entries = 0;
    qint64 sourceTexts = 0;
    qint64 files = 0;
    qint64 bytes = 0;      // the database with its write-ahead log
    std::vector<LocalePairCount> pairs;
};

struct AddResult {
    qint64 offered = 0;    // pairs given with both texts
    qint64 added = 0;      // rows the memory did not have
};

enum class Failure : quint8 { None, Busy, Damaged, Other };

class TranslationMemory {
public:
    // $QM_MEMORY_FILE when set, else $XDG_DATA_HOME/quillmark/memory.db
    // (XDG_DATA_HOME defaulting to ~/.local/share).
    static QString defaultPath();

    // Opens or creates the database (and its folder). A file that is not a
    // sound database is moved aside (never deleted) and refused with a
    // message naming where it went; the next open starts a new one. why, when
    // given, gets what made the open fail.
    static qm::Result<std::unique_ptr<TranslationMemory>> open(const QString &path, int busyTimeoutMs = 3000,
                                                               Failure *why = nullptr);
    ~TranslationMemory();

    const QString &path() const { return m_path; }
    // What made the last call fail.
    Failure lastFailure() const { return m_failure; }

    // Adds the pairs in one transaction. A pair the memory has gets the
    // newer origin and time.
    qm::Result<AddResult> add(const std::vector<Entry> &entries);

    // Up to options.limit translations of text, best first: by percentage,
    // then those whose stored source is text as written, then the newest.
    qm::Result<std::vector<Suggestion>> lookup(qint32 sourceLocale, qint32 targetLocale, QStringView text,
                                               const LookupOptions &options = {});

    qm::Result<Stats> stats();

    // Every entry, grouped by source text in the order those were first added;
    // visit returns false to stop.
    qm::Status forEach(const std::function<bool(const Entry &)> &visit);

    // Moves path and its -wal and -shm files aside; the name it went to.
    static qm::Result<QString> moveAside(const QString &path);

private:
    struct Candidate {
        qint64 id; // of the source
        QString text;
        int percent;
    };

    explicit TranslationMemory(QString path);
    // The sources like key by their trigrams, scored by edit distance.
    qm::Status addFuzzyCandidates(qint32 sourceLocale, const QString &key, int minMatch, std::vector<Candidate> &candidates);
    qm::Status prepare(int busyTimeoutMs);
    qm::Error failure(int code, const QString &what);
    // The statement for sql, prepared once per connection.
    sql::Statement &statement(const char *sql);

    QString m_path;
    std::unique_ptr<sql::Database> m_db;
    std::map<const char *, std::unique_ptr<sql::Statement>> m_statements; // closed before m_db
    Failure m_failure = Failure::None;
};

} // namespace memory
