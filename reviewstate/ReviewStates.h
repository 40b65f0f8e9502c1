#pragma once

#include "platform/resutil/ResCompanion.h"
#include "reviewstate/StateTable.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace resutil {
class ResFile;
class ResStrings;
}

namespace reviewstate {

// The review states of one resource file's translations, kept in NAME.res.state
// beside it (StateFileFormat.h) and written with every save of the file.
//
// The rules: a text without a line of its own is translated (a file without
// states opens as before). A text that differs from the one its line was
// written for was changed since (by this program or another): translated,
// from the source text as it is now. A translated or approved text whose
// source text has changed since it was made (its source hash differs from
// the hash of the project's source-language text) needs review, whoever
// changed the source. A cell without a text is new.
//
// A state file that cannot be read is told by problem() and left as it is:
// saves then write the resource file alone.
class ReviewStates : public resutil::ResCompanion {
public:
    // The states of file, read now and again after every Load and Create.
    static ReviewStates *attach(resutil::ResFile &file);
    // The states attached to file, or nullptr.
    static ReviewStates *of(const resutil::ResFile &file);
    // NAME.res.state beside resPath; empty when that name is longer than the
    // folder allows (such a file has no states).
    static QString pathFor(const QString &resPath);

    explicit ReviewStates(const resutil::ResStrings &strings);

    // Why the state file could not be read ("PATH: line 3: ..."); empty when it
    // could, or when there is none.
    const QString &problem() const;
    bool readable() const { return problem().isEmpty(); }
    // Whether the file had a state file when it was read.
    bool hadStateFile() const;

    // For a caller whose last use of the states is a save (the command
    // line's import): the lines of texts that have none are then written
    // straight from the strings, none held for each text. The states asked
    // for after such a save are read again from the file it wrote.
    void setSaveIsLast(bool last) { m_saveIsLast = last; }

    // The project's source language; 0 (the default) takes the one the state
    // file names, else English (United Kingdom) when the file has it, else its
    // first language.
    void setSourceLanguage(qint32 localeId);
    qint32 sourceLanguage() const;

    State state(qint32 localeId, qint32 id);
    // The text of a cell now (empty when it has none).
    QString textOf(quint32 key) const;
    QString note(qint32 localeId, qint32 id) const;
    QString comment(qint32 id) const;
    // 0: no limit.
    int maxLength(qint32 id) const;
    // The widest a translation may be drawn, in pixels of its display font; 0: no limit.
    int maxWidth(qint32 id) const;

    // Transitions. Each fails for a cell without a text (a missing translation
    // cannot be approved) and when the state file could not be read.
    qm::Status markTranslated(qint32 localeId, qint32 id);
    qm::Status markNeedsReview(qint32 localeId, qint32 id);
    qm::Status markNew(qint32 localeId, qint32 id);
    qm::Status approve(qint32 localeId, qint32 id);
    qm::Status setNote(qint32 localeId, qint32 id, const QString &note);
    qm::Status setComment(qint32 id, const QString &comment);
    qm::Status setMaxLength(qint32 id, int maxLength);
    qm::Status setMaxWidth(qint32 id, int pixels);

    // A cell's line as it is now (none: it has no line), and the same put back
    // later, for undo: a state set and undone is the state it was, derived or not.
    std::optional<Cell> line(qint32 localeId, qint32 id) const;
    void restoreLine(qint32 localeId, qint32 id, const std::optional<Cell> &line);

    // Brings every state up to date with the texts as they are now; with
    // verifyAll, also every line another program may have made stale.
    void refresh(bool verifyAll = false);
    // After refresh(true): every cell's state, by locale, then string ID
    // (cells without a line are translated; cells without a text, new).
    const std::vector<Cell> &cells() const;

    // ResCompanion
    void loaded(const QString &resPath, const resutil::ResStrings &strings, bool readable) override;
    qm::Result<std::optional<Contents>> saving(const QString &resPath, const resutil::ResStrings &strings) override;
    void saved(const QString &resPath) override;

private:
    // The source texts' hashes as a refresh finds them, which the lines
    // made for texts without one take.
    struct SourcesNow {
        qint32 source = 0;
        std::vector<quint32> hash; // by string ID
        std::vector<bool> present;
        std::size_t textsWithoutLine = 0;
    };
    SourcesNow updateLines(bool verifyAll);
    Cell newLine(quint32 key, QStringView text, const SourcesNow &sources) const;
    void addLines(const SourcesNow &sources);
    qm::Status writeLines(const std::function<qm::Status(QByteArrayView)> &put) const;
    // After a save that was the last, the file written is read again before anything else.
    void settle() const;
    qm::Status setState(qint32 localeId, qint32 id, State state);
    qm::Status writable() const;
    Cell *find(quint32 key);
    const Cell *find(quint32 key) const;
    void verify(Cell &cell, QStringView text);
    void rememberAsRead(const resutil::ResStrings &strings);
    // Whether a text still lies where the file was read to: unchanged since.
    bool asLoaded(QStringView text) const;
    State stateWithoutLine(qint32 id, QStringView text);
    StringInfo *info(qint32 id, bool create);
    const StringInfo *info(qint32 id) const;

    const resutil::ResStrings &m_strings;
    QString m_problem;
    bool m_hadFile = false;
    QString m_writtenPath; // the state file read or last written
    bool m_dirty = false;
    qint32 m_sourceChoice = 0;
    StateTable m_table;
    QString m_buffer;                    // the texts as read; kept so that loadedAt stays valid
    std::vector<quint32> m_sourceAtLoad; // by string ID: hash of the source text as read; 0 and no bit: none
    std::vector<bool> m_hasSourceAtLoad;
    qint32 m_sourceOfHashes = 0;         // the language m_sourceAtLoad is of
    const QChar *m_loadedBase = nullptr; // the buffer the file was read to, while the strings hold it
    qsizetype m_loadedSize = 0;
    quint64 m_loadedSerial = 0;
    bool m_saveIsLast = false;
    std::optional<SourcesNow> m_unwritten; // from saving() to the write: the lines not made yet
    QString m_readAgain;                   // the file saved last, to be read again before any use
};

} // namespace reviewstate
