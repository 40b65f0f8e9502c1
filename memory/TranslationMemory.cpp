#include "memory/TranslationMemory.h"

#include "memory/MatchScore.h"
#include "memory/Sqlite.h"
#include "memory/TextShape.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>

namespace memory {

namespace {

constexpr int kSchemaVersion = 1;
// The trigram filter reads the lists of the text's rarest trigrams, at most
// kProbes of them and no more than about kPostings entries (but at least
// three lists), and hands the kCandidates sources that share the most of
// them to the edit distance.
constexpr int kProbes = 12;
constexpr qint64 kPostings = 20000;
constexpr std::size_t kCandidates = 200;

const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS sources(id INTEGER PRIMARY KEY, locale INTEGER NOT NULL, text TEXT NOT NULL,"
    " norm TEXT NOT NULL, UNIQUE(locale, text));"
    "CREATE INDEX IF NOT EXISTS sources_norm ON sources(locale, norm);"
    "CREATE VIRTUAL TABLE IF NOT EXISTS source_trigrams USING fts5(norm, content='sources', content_rowid='id',"
    " tokenize='trigram');"
    "CREATE TABLE IF NOT EXISTS files(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE);"
    "CREATE TABLE IF NOT EXISTS entries(id INTEGER PRIMARY KEY, source_id INTEGER NOT NULL REFERENCES sources(id),"
    " target_locale INTEGER NOT NULL, target_text TEXT NOT NULL, file_id INTEGER REFERENCES files(id),"
    " string_id INTEGER, changed INTEGER NOT NULL, UNIQUE(source_id, target_locale, target_text));";

QString folderOf(const QString &path) { return QFileInfo(path).absolutePath(); }

// The distinct trigrams of key, as the trigram tokenizer folds them.
QStringList trigramsOf(const QString &key)
{
    QStringList grams;
    QSet<QString> seen;
    for (qsizetype i = 0; i + 3 <= key.size(); ++i) {
        QString gram = key.mid(i, 3).toCaseFolded();
        if (!seen.contains(gram)) {
            seen.insert(gram);
            grams.append(gram);
        }
    }
    return grams;
}

QString phrase(const QString &gram) { return u'"' + QString(gram).replace(u'"', QStringLiteral("\"\"")) + u'"'; }

} // namespace

QString TranslationMemory::defaultPath()
{
    const QString chosen = qEnvironmentVariable("QM_MEMORY_FILE");
    if (!chosen.isEmpty())
        return chosen;
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::home().filePath(QStringLiteral(".local/share"));
    return QDir(data).filePath(QStringLiteral("quillmark/memory.db"));
}

TranslationMemory::TranslationMemory(QString path) : m_path(std::move(path)), m_db(std::make_unique<sql::Database>()) {}

TranslationMemory::~TranslationMemory() = default;

sql::Statement &TranslationMemory::statement(const char *sql)
{
    std::unique_ptr<sql::Statement> &kept = m_statements[sql];
    if (!kept || kept->prepared() != SQLITE_OK)
        kept = std::make_unique<sql::Statement>(*m_db, sql);
    return *kept;
}

qm::Error TranslationMemory::failure(int code, const QString &what)
{
    m_failure = sql::isDamage(code) ? Failure::Damaged : sql::isBusy(code) ? Failure::Busy : Failure::Other;
    if (m_failure == Failure::Busy)
        return qm::makeError(QStringLiteral("%1: the translation memory is in use by another program (%2)")
                                 .arg(m_path, what));
    if (m_failure == Failure::Damaged)
        return qm::makeError(QStringLiteral("%1: the translation memory is damaged (%2)").arg(m_path, what));
    return qm::makeError(QStringLiteral("%1: the translation memory cannot be used (%2: %3)")
                             .arg(m_path, what, m_db->lastMessage()));
}

qm::Result<QString> TranslationMemory::moveAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".damaged-%1-%2").arg(stamp, QString::number(n));
    if (!QFile::rename(path, aside))
        return qm::makeError(QStringLiteral("%1: the damaged translation memory could not be moved aside to %2")
                                 .arg(path, aside));
    // Its log and index belong to it: left in place they would be read into the next one.
    for (const char *part : {"-wal", "-shm"})
        if (QFileInfo::exists(path + QLatin1String(part)))
            QFile::rename(path + QLatin1String(part), aside + QLatin1String(part));
    return aside;
}

qm::Result<std::unique_ptr<TranslationMemory>> TranslationMemory::open(const QString &path, int busyTimeoutMs, Failure *why)
{
    Failure ignored;
    Failure &reason = why ? *why : ignored;
    reason = Failure::Other;
    if (!QDir().mkpath(folderOf(path)))
        return qm::makeError(QStringLiteral("%1: the translation memory's folder cannot be created").arg(path));
    if (QFileInfo(path).exists() && !QFileInfo(path).isFile())
        return qm::makeError(QStringLiteral("%1: the translation memory is not a regular file").arg(path));
    std::unique_ptr<TranslationMemory> memory(new TranslationMemory(path));
    if (auto status = memory->prepare(busyTimeoutMs); !status.ok()) {
        reason = memory->m_failure == Failure::None ? Failure::Other : memory->m_failure;
        if (memory->m_failure != Failure::Damaged)
            return status.error();
        memory->m_db->close();
        auto aside = moveAside(path);
        if (!aside)
            return aside.error();
        return qm::makeError(QStringLiteral("%1: the translation memory was damaged and has been moved aside to %2;"
                                            " a new one is started next time").arg(path, aside.value()));
    }
    reason = Failure::None;
    return memory;
}

qm::Status TranslationMemory::prepare(int busyTimeoutMs)
{
    if (const int code = m_db->open(m_path, busyTimeoutMs); code != SQLITE_OK)
        return failure(code, QStringLiteral("open"));
    // Reading the schema is what tells a file that is no database.
    qint64 version = 0;
    {
        sql::Statement read(*m_db, "PRAGMA user_version");
        const int code = read.step();
        if (code != SQLITE_ROW)
            return failure(code == SQLITE_OK ? read.prepared() : code, QStringLiteral("reading its version"));
        version = read.integer(0);
        if (version > kSchemaVersion)
            return qm::makeError(QStringLiteral("%1: the translation memory was made by a newer Quillmark (version %2)")
                                     .arg(m_path, QString::number(version)));
    }
    if (const int code = m_db->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON");
        code != SQLITE_OK)
        return failure(code, QStringLiteral("setting it up"));
    // How many sources hold each trigram, for the fuzzy lookup to start from the rarest.
    const auto countTrigrams = [&]() -> qm::Status {
        if (const int code = m_db->exec("CREATE VIRTUAL TABLE IF NOT EXISTS temp.source_trigram_counts"
                                        " USING fts5vocab(main, source_trigrams, row)");
            code != SQLITE_OK)
            return failure(code, QStringLiteral("setting it up"));
        return {};
    };
    // A memory made before is only read from here on: opening it takes no lock a writer holds.
    if (version == kSchemaVersion)
        return countTrigrams();
    if (const int code = m_db->exec("BEGIN IMMEDIATE"); code != SQLITE_OK)
        return failure(code, QStringLiteral("setting it up"));
    int code = m_db->exec(kSchema);
    if (code == SQLITE_OK)
        code = m_db->exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
    if (code == SQLITE_OK)
        code = m_db->exec("COMMIT");
    if (code != SQLITE_OK) {
        const qm::Error error = failure(code, QStringLiteral("creating its tables"));
        m_db->exec("ROLLBACK");
        return error;
    }
    return countTrigrams();
}

qm::Result<AddResult> TranslationMemory::add(const std::vector<Entry> &entries)
{
    m_failure = Failure::None;
    if (const int code = m_db->exec("BEGIN IMMEDIATE"); code != SQLITE_OK)
        return failure(code, QStringLiteral("adding"));
    const auto rollBack = [&](int code) {
        const qm::Error error = failure(code, QStringLiteral("adding"));
        m_db->exec("ROLLBACK");
        return error;
    };
    sql::Statement findSource(*m_db, "SELECT id FROM sources WHERE locale = ? AND text = ?");
    sql::Statement addSource(*m_db, "INSERT INTO sources(locale, text, norm) VALUES(?, ?, ?)");
    sql::Statement addTrigrams(*m_db, "INSERT INTO source_trigrams(rowid, norm) VALUES(?, ?)");
    sql::Statement findFile(*m_db, "SELECT id FROM files WHERE path = ?");
    sql::Statement addFile(*m_db, "INSERT INTO files(path) VALUES(?)");
    sql::Statement addEntry(*m_db,
                            "INSERT INTO entries(source_id, target_locale, target_text, file_id, string_id, changed)"
                            " VALUES(?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT(source_id, target_locale, target_text) DO NOTHING");
    // A pair the memory has takes the newer origin.
    sql::Statement renewEntry(*m_db, "UPDATE entries SET file_id = ?4, string_id = ?5, changed = ?6"
                                     " WHERE source_id = ?1 AND target_locale = ?2 AND target_text = ?3 AND changed <= ?6");
    for (const sql::Statement *s : {&findSource, &addSource, &addTrigrams, &findFile, &addFile, &addEntry, &renewEntry})
        if (s->prepared() != SQLITE_OK)
            return rollBack(s->prepared());

    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QHash<QString, qint64> fileIds;
    qint32 lastLocale = 0;
    QString lastSource;
    qint64 lastSourceId = -1;
    AddResult result;
    for (const Entry &entry : entries) {
        if (entry.sourceText.isEmpty() || entry.targetText.isEmpty())
            continue;
        ++result.offered;
        if (lastSourceId < 0 || entry.sourceLocale != lastLocale || entry.sourceText != lastSource) {
            findSource.reset();
            findSource.bind(1, entry.sourceLocale);
            findSource.bind(2, entry.sourceText);
            int code = findSource.step();
            if (code == SQLITE_ROW) {
                lastSourceId = findSource.integer(0);
            } else if (code == SQLITE_DONE) {
                const QString key = shapeOf(entry.sourceText).key;
                addSource.reset();
                addSource.bind(1, entry.sourceLocale);
                addSource.bind(2, entry.sourceText);
                addSource.bind(3, key);
                if (code = addSource.step(); code != SQLITE_DONE)
                    return rollBack(code);
                lastSourceId = sqlite3_last_insert_rowid(m_db->handle());
                addTrigrams.reset();
                addTrigrams.bind(1, lastSourceId);
                addTrigrams.bind(2, key);
                if (code = addTrigrams.step(); code != SQLITE_DONE)
                    return rollBack(code);
            } else {
                return rollBack(code);
            }
            lastLocale = entry.sourceLocale;
            lastSource = entry.sourceText;
        }
        qint64 fileId = -1;
        if (!entry.file.isEmpty()) {
            auto known = fileIds.constFind(entry.file);
            if (known != fileIds.constEnd()) {
                fileId = *known;
            } else {
                findFile.reset();
                findFile.bind(1, entry.file);
                int code = findFile.step();
                if (code == SQLITE_ROW) {
                    fileId = findFile.integer(0);
                } else if (code == SQLITE_DONE) {
                    addFile.reset();
                    addFile.bind(1, entry.file);
                    if (code = addFile.step(); code != SQLITE_DONE)
                        return rollBack(code);
                    fileId = sqlite3_last_insert_rowid(m_db->handle());
                } else {
                    return rollBack(code);
                }
                fileIds.insert(entry.file, fileId);
            }
        }
        const auto bindEntry = [&](sql::Statement &s) {
            s.reset();
            s.bind(1, lastSourceId);
            s.bind(2, entry.targetLocale);
            s.bind(3, entry.targetText);
            if (fileId >= 0)
                s.bind(4, fileId);
            else
                s.bindNull(4);
            if (entry.stringId >= 0)
                s.bind(5, entry.stringId);
            else
                s.bindNull(5);
            s.bind(6, entry.changed > 0 ? entry.changed : now);
            return s.step();
        };
        if (const int code = bindEntry(addEntry); code != SQLITE_DONE)
            return rollBack(code);
        if (sqlite3_changes(m_db->handle()) > 0) {
            ++result.added;
        } else if (const int code = bindEntry(renewEntry); code != SQLITE_DONE) {
            return rollBack(code);
        }
    }
    if (const int code = m_db->exec("COMMIT"); code != SQLITE_OK)
        return rollBack(code);
    return result;
}

qm::Result<std::vector<Suggestion>> TranslationMemory::lookup(qint32 sourceLocale, qint32 targetLocale, QStringView text,
                                                              const LookupOptions &options)
{
    m_failure = Failure::None;
    const TextShape wanted = shapeOf(text);
    std::vector<Suggestion> found;
    if (wanted.key.isEmpty() || options.limit <= 0)
        return found;

    std::vector<Candidate> candidates;
    {
        sql::Statement &exact = statement("SELECT id, text FROM sources WHERE locale = ? AND norm = ?");
        const sql::Reset resetExact(exact);
        exact.reset();
        exact.bind(1, sourceLocale);
        exact.bind(2, wanted.key);
        int code;
        while ((code = exact.step()) == SQLITE_ROW)
            candidates.push_back({exact.integer(0), exact.text(1), 100});
        if (code != SQLITE_DONE)
            return failure(code, QStringLiteral("looking up"));
    }
    const int minMatch = std::clamp(options.minMatch, 1, 100);
    // Enough exact matches leave no place for a fuzzy one.
    qsizetype exactTranslations = 0;
    if (!candidates.empty()) {
        sql::Statement &count = statement("SELECT count(*) FROM entries WHERE source_id = ? AND target_locale = ?");
        const sql::Reset resetCount(count);
        for (const Candidate &c : candidates) {
            count.reset();
            count.bind(1, c.id);
            count.bind(2, targetLocale);
            if (const int code = count.step(); code != SQLITE_ROW)
                return failure(code, QStringLiteral("looking up"));
            exactTranslations += count.integer(0);
        }
    }
    if (minMatch < 100 && wanted.key.size() >= 3 && exactTranslations < options.limit)
        if (auto status = addFuzzyCandidates(sourceLocale, wanted.key, minMatch, candidates); !status.ok())
            return status.error();

    sql::Statement &translations = statement("SELECT e.target_text, f.path, e.string_id, e.changed FROM entries AS e"
                                             " LEFT JOIN files AS f ON f.id = e.file_id"
                                             " WHERE e.source_id = ? AND e.target_locale = ?");
    const sql::Reset resetTranslations(translations);
    if (translations.prepared() != SQLITE_OK)
        return failure(translations.prepared(), QStringLiteral("looking up"));
    for (const Candidate &candidate : candidates) {
        translations.reset();
        translations.bind(1, candidate.id);
        translations.bind(2, targetLocale);
        int code;
        while ((code = translations.step()) == SQLITE_ROW) {
            Suggestion s;
            s.percent = candidate.percent;
            s.storedSource = candidate.text;
            s.storedTarget = translations.text(0);
            s.text = carryOver(wanted, s.storedSource, s.storedTarget);
            s.file = translations.text(1);
            s.stringId = translations.isNull(2) ? -1 : qint32(translations.integer(2));
            s.changed = translations.integer(3);
            found.push_back(std::move(s));
        }
        if (code != SQLITE_DONE)
            return failure(code, QStringLiteral("looking up"));
    }
    std::sort(found.begin(), found.end(), [&](const Suggestion &a, const Suggestion &b) {
        if (a.percent != b.percent)
            return a.percent > b.percent;
        const bool aSame = a.storedSource == text, bSame = b.storedSource == text;
        if (aSame != bSame)
            return aSame;
        if (a.changed != b.changed)
            return a.changed > b.changed;
        return a.text < b.text;
    });
    // One suggestion per text: the best-placed one.
    QSet<QString> seen;
    std::vector<Suggestion> best;
    for (Suggestion &s : found) {
        if (seen.contains(s.text))
            continue;
        seen.insert(s.text);
        best.push_back(std::move(s));
        if (qsizetype(best.size()) >= options.limit)
            break;
    }
    return best;
}

qm::Status TranslationMemory::addFuzzyCandidates(qint32 sourceLocale, const QString &key, int minMatch,
                                                  std::vector<Candidate> &candidates)
{
    struct Gram {
        QString text;
        qint64 documents;
    };
    std::vector<Gram> grams;
    {
        sql::Statement &documents = statement("SELECT doc FROM temp.source_trigram_counts WHERE term = ?");
        const sql::Reset resetDocuments(documents);
        for (const QString &gram : trigramsOf(key)) {
            documents.reset();
            documents.bind(1, gram);
            const int code = documents.step();
            if (code == SQLITE_ROW)
                grams.push_back({gram, documents.integer(0)});
            else if (code != SQLITE_DONE)
                return failure(code, QStringLiteral("looking up"));
        }
    }
    std::sort(grams.begin(), grams.end(), [](const Gram &a, const Gram &b) { return a.documents < b.documents; });

    QHash<qint64, int> shared; // source -> how many of the probed trigrams it has
    sql::Statement &postings = statement("SELECT rowid FROM source_trigrams WHERE source_trigrams MATCH ?");
    const sql::Reset resetPostings(postings);
    qint64 read = 0;
    for (std::size_t i = 0; i < grams.size() && int(i) < kProbes; ++i) {
        if (i >= 3 && read + grams[i].documents > kPostings)
            break;
        read += grams[i].documents;
        postings.reset();
        postings.bind(1, phrase(grams[i].text));
        int code;
        while ((code = postings.step()) == SQLITE_ROW)
            ++shared[postings.integer(0)];
        if (code != SQLITE_DONE)
            return failure(code, QStringLiteral("looking up"));
    }
    std::vector<std::pair<int, qint64>> ranked;
    ranked.reserve(std::size_t(shared.size()));
    for (auto it = shared.constBegin(); it != shared.constEnd(); ++it)
        ranked.push_back({it.value(), it.key()});
    const std::size_t keep = std::min(kCandidates, ranked.size());
    std::partial_sort(ranked.begin(), ranked.begin() + std::ptrdiff_t(keep), ranked.end(),
                      [](const auto &a, const auto &b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });

    sql::Statement &source = statement("SELECT text, norm FROM sources WHERE id = ? AND locale = ?");
    const sql::Reset resetSource(source);
    for (std::size_t i = 0; i < keep; ++i) {
        source.reset();
        source.bind(1, ranked[i].second);
        source.bind(2, sourceLocale);
        const int code = source.step();
        if (code == SQLITE_DONE)
            continue;
        if (code != SQLITE_ROW)
            return failure(code, QStringLiteral("looking up"));
        const QString norm = source.text(1);
        if (norm == key)
            continue; // an exact match, found before
        if (const int percent = matchPercent(key, norm, minMatch); percent >= minMatch)
            candidates.push_back({ranked[i].second, source.text(0), percent});
    }
    return {};
}

qm::Result<Stats> TranslationMemory::stats()
{
    m_failure = Failure::None;
    Stats stats;
    const auto count = [&](const char *query, qint64 *into) -> int {
        sql::Statement s(*m_db, query);
        const int code = s.step();
        if (code == SQLITE_ROW)
            *into = s.integer(0);
        return code == SQLITE_ROW ? SQLITE_OK : code;
    };
    qint64 pages = 0, pageSize = 0;
    for (auto [query, into] : {std::pair{"SELECT count(*) FROM entries", &stats.entries},
                               std::pair{"SELECT count(*) FROM sources", &stats.sourceTexts},
                               std::pair{"SELECT count(*) FROM files", &stats.files},
                               std::pair{"PRAGMA page_count", &pages}, std::pair{"PRAGMA page_size", &pageSize}})
        if (const int code = count(query, into); code != SQLITE_OK)
            return failure(code, QStringLiteral("counting"));
    stats.bytes = pages * pageSize + QFileInfo(m_path + QStringLiteral("-wal")).size();
    sql::Statement pairs(*m_db, "SELECT s.locale, e.target_locale, count(*) FROM entries AS e"
                                " JOIN sources AS s ON s.id = e.source_id GROUP BY s.locale, e.target_locale"
                                " ORDER BY s.locale, e.target_locale");
    int code;
    while ((code = pairs.step()) == SQLITE_ROW)
        stats.pairs.push_back({qint32(pairs.integer(0)), qint32(pairs.integer(1)), pairs.integer(2)});
    if (code != SQLITE_DONE)
        return failure(code, QStringLiteral("counting"));
    return stats;
}

qm::Status TranslationMemory::forEach(const std::function<bool(const Entry &)> &visit)
{
    m_failure = Failure::None;
    // One read transaction: a writer meanwhile does not change what is visited.
    if (const int code = m_db->exec("BEGIN"); code != SQLITE_OK)
        return failure(code, QStringLiteral("reading"));
    int code;
    {
        sql::Statement all(*m_db, "SELECT s.locale, s.text, e.target_locale, e.target_text, f.path, e.string_id, e.changed"
                                  " FROM entries AS e JOIN sources AS s ON s.id = e.source_id"
                                  " LEFT JOIN files AS f ON f.id = e.file_id ORDER BY e.source_id, e.id");
        Entry entry;
        while ((code = all.step()) == SQLITE_ROW) {
            entry.sourceLocale = qint32(all.integer(0));
            entry.sourceText = all.text(1);
            entry.targetLocale = qint32(all.integer(2));
            entry.targetText = all.text(3);
            entry.file = all.text(4);
            entry.stringId = all.isNull(5) ? -1 : qint32(all.integer(5));
            entry.changed = all.integer(6);
            if (!visit(entry)) {
                code = SQLITE_DONE;
                break;
            }
        }
    }
    const qm::Error error = code != SQLITE_DONE ? failure(code, QStringLiteral("reading")) : qm::Error{};
    m_db->exec("COMMIT");
    if (code != SQLITE_DONE)
        return error;
    return {};
}

} // namespace memory
