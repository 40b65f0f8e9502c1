#pragma once

#include "transfer/TransferFeedback.h"
#include "platform/common/Result.h"

#include <QString>

#include <functional>

namespace excel {
class Workbook;
class Workbooks;
class Worksheet;
} // namespace excel
namespace resutil {
class MappedStringTables;
class ResStrings;
} // namespace resutil

namespace ExcelTransfer {

// Where an export writes, and what it leaves behind for the wizard.
struct ExportTarget {
    explicit ExportTarget(excel::Workbooks &books) : books(books) {}

    excel::Workbooks &books;
    // In: the workbook opened for an existing file. Out: the workbook written
    // (a new one when fileMissing).
    excel::Workbook *workbook = nullptr;
    excel::Worksheet *worksheet = nullptr; // out
    // True: create a new workbook and SaveAs fileName; false: write into
    // `workbook` and Save it.
    bool fileMissing = true;
    QString fileName;
    QString sheetName;
    // The error report's details: names the row, column and text while a text
    // cell is written, empty otherwise.
    QString details() const;

    // The text cell being written (row 0: none). Kept as parts so the
    // details text is only formatted when a report needs it.
    int writingRow = 0;
    int writingColumn = 0;
    QString writingText;
};

// The name row 1 shows for a locale ID (empty when the system has none).
using LanguageNamer = std::function<QString(qint32 localeId)>;

// Writes all strings into the sheet target.sheetName of the target workbook,
// one row per string ID and one column per language in order of first
// occurrence, and saves the workbook. On failure nothing after the failing
// step is written and the workbook is not saved; the error's location is the
// failing step here.
qm::Status exportStrings(ExportTarget &target, const resutil::ResStrings &strings, const LanguageNamer &languageName,
                         TransferFeedback &feedback);
// The same from a file's tables read in place, into a new workbook only
// (target.fileMissing): memory then follows neither the resource file nor
// the table.
qm::Status exportTables(ExportTarget &target, resutil::MappedStringTables &tables, const LanguageNamer &languageName,
                        TransferFeedback &feedback);

} // namespace ExcelTransfer
