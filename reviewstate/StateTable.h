#pragma once

// The state file's content: one line per (locale, string ID) and one per
// string ID that has a comment or a maximum length. Read and written by
// StateFileFormat; the rules that keep it current are ReviewStates'.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace reviewstate {

enum class State : quint8 {
    New,         // not translated yet
    Translated,
    NeedsReview, // made from a source text that has changed since
    Approved,
};

// "new", "translated", "needs-review", "approved".
const char *stateName(State state);
std::optional<State> stateNamed(QByteArrayView name);

inline quint32 cellKey(qint32 localeId, qint32 id) { return quint32(localeId) << 16 | quint32(id & 0xFFFF); }
inline qint32 localeOf(quint32 key) { return qint32(key >> 16); }
inline qint32 idOf(quint32 key) { return qint32(key & 0xFFFF); }

struct Cell {
    enum Flag : quint8 {
        HasSource = 1,  // source holds the source text's hash
        HasText = 2,    // text holds the text's hash
        Verified = 4,   // text is known to be the hash of the text as read
        HasLoaded = 8,  // loadedAt/loadedLength: where the text lay when the file was read
    };
    quint32 key = 0;
    quint32 source = 0;
    quint32 text = 0;
    quint32 loadedAt = 0;
    quint16 loadedLength = 0;
    State state = State::Translated;
    quint8 flags = 0;
    bool has(Flag flag) const { return flags & flag; }
};

// Comment and maximum length of one string ID, as fields.
struct StringInfo {
    qint32 id = 0;
    QByteArray fields; // name=value fields, tab-separated, escaped
};

struct StateTable {
    qint32 source = 0;       // the locale the source hashes are of; 0: none named
    QByteArray headerFields; // header fields this version does not know
    std::vector<StringInfo> strings; // sorted by ID
    std::vector<Cell> cells;         // sorted by key: locale, then string ID
    QHash<quint32, QByteArray> cellFields; // a cell's fields after its hashes (note, unknown ones)
};

// A field of a name=value list; empty when absent.
QString fieldValue(const QByteArray &fields, QByteArrayView name);
// Sets (or, for an empty value, removes) one field, keeping the others in order.
void setFieldValue(QByteArray &fields, QByteArrayView name, const QString &value);

} // namespace reviewstate
