#pragma once

#include "transfer/ExcelExport.h"
#include "transfer/ExcelImport.h"
#include "transfer/TransferFeedback.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/TranslationUnits.h"
#include "platform/common/Result.h"

#include <QString>
#include <QStringList>

#include <functional>

#include <vector>

namespace resutil {
class ResStrings;
}

namespace exchange {

// What an export or import of the formats beside the workbooks needs.
struct Options {
    Format format = Format::Csv;
    QString sheetName;        // .ods: the sheet written or read (empty: the first, on import)
    QChar separator;          // CSV: null for the file name's (export) or detected (import)
    qint32 sourceLocale = 2057;
    qint32 targetLocale = 0;  // XLIFF, PO: required on export; on import 0 takes the file's
    QStringList includes;     // .rc: headers or folders for #define'd names
    bool useFuzzy = false;    // PO import: fuzzy entries are taken as final translations
    QString original;         // the resource file's name, written into the file
    // XLIFF, PO export: fills in each unit's state, notes and limit.
    std::function<void(TranslationUnit &unit)> describeUnit;
};

// The format of path: `forced` when given, else its extension's; an
// unknown extension is refused with the names that are known.
qm::Result<Format> resolveFormat(const QString &path, const QString &forced);

// Writes every string into path (never a workbook format), atomically.
// Refuses before writing anything what the format cannot hold. An existing
// .ods keeps its other sheets and an existing .rc everything but its string
// tables; a file of the other formats is replaced.
qm::Status exportFile(const resutil::ResStrings &strings, const QString &path, const Options &options,
                      const ExcelTransfer::LanguageNamer &languageName, TransferFeedback &feedback);

// What an import gives: the whole new string table (apply it with
// ExcelTransfer::replaceStrings) and the messages and notes to show.
struct Imported {
    std::vector<ExcelTransfer::ImportedString> entries;
    QStringList messages;
    qint32 targetLocale = 0; // the translator formats' language
    // The translator formats: what the file says of each string ID whose
    // text was taken, in the file's order.
    struct UnitInfo {
        qint32 id;
        std::optional<UnitState> state;
        QString note;
    };
    std::vector<UnitInfo> units;
};

// Reads path completely; `current` is the table the translator formats
// merge their one language into. Nothing is changed here: a broken file
// is refused as a whole with a message naming the file and the place.
qm::Result<Imported> importFile(const QString &path, const resutil::ResStrings &current, const Options &options,
                                TransferFeedback &feedback);

// The sheet names of an .ods file, for choosing one.
qm::Result<QStringList> odsSheetNames(const QString &path);

// The target language a translator file (XLIFF, PO) names: 0 when it names
// none or one that is not a known locale. A file that cannot be read is refused.
qm::Result<qint32> translationTarget(const QString &path, Format format);

// Files larger than this are not read.
inline constexpr qint64 MaxExchangeFileSize = qint64(512) << 20;

} // namespace exchange
