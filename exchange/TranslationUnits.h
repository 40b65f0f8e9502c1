#pragma once

#include "transfer/ExcelImport.h"
#include "platform/common/Result.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace resutil {
class ResStrings;
}

namespace exchange {

// What a translator file says of a translation beyond its text (XLIFF's
// state, PO's fuzzy flag).
enum class UnitState : quint8 { New, Translated, NeedsReview, Approved };

// One string ID as the translator formats carry it: the source text and
// the target text (none: not translated), and optionally the translation's
// state, a translator's note, a comment for translators and a maximum length
// in characters (0: none).
struct TranslationUnit {
    qint32 id = 0;
    QString source;
    std::optional<QString> target;
    std::optional<UnitState> state;
    QString note;
    QString comment;
    int maxLength = 0;
};

// What a translator file holds: one target language.
struct Translation {
    qint32 sourceLocale = 2057;
    qint32 targetLocale = 0;
    QString original; // the resource file's name
    std::vector<TranslationUnit> units;
};

// One unit per string ID of the strings, in ascending order.
Translation collectUnits(const resutil::ResStrings &strings, qint32 sourceLocale, qint32 targetLocale);

// A unit as read from a file: the ID as written, with the line it came from.
struct ReadUnit {
    QString id;
    QString source; // the source text the file gives with it
    std::optional<QString> target;
    int line = 0;
    std::optional<UnitState> state; // as the file says, when it says
    QString note;                   // the translator's
};
struct ReadTranslation {
    QString sourceTag, targetTag; // as the file names them
    qint32 targetLocale = 0;      // from an explicit field, 0 when absent
    std::vector<ReadUnit> units;
    QStringList notes;            // what was read but not taken
};

// The whole new table, in the order of `current`: the target texts of the
// file's units whose ID `current` knows take the places of the old texts,
// and those the language did not have follow its last entry (or end the
// table for a new language). Units with an unknown ID, or one that is not a
// number, are named in `messages` and not taken. A unit without a target
// leaves that ID without a text in the target language.
std::vector<ExcelTransfer::ImportedString> applyTranslation(const resutil::ResStrings &current, qint32 targetLocale,
                                                            const ReadTranslation &read, QStringList *messages);

// The units applyTranslation takes, in the file's order: the first of each
// ID `current` knows.
std::vector<const ReadUnit *> takenUnits(const resutil::ResStrings &current, const ReadTranslation &read);

// "en-GB" for 2057; empty when unknown.
QString localeTag(qint32 localeId);
// 2057 for "en-GB", "en_GB" or "en-gb"; 0 when unknown.
qint32 localeForTag(const QString &tag);

} // namespace exchange
