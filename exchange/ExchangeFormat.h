#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace exchange {

// Every file format the strings can be exported to and imported from.
enum class Format { Xlsx, Xls, Ods, Csv, Tsv, Rc, Xliff2, Xliff12, Po };

// The format a file name's extension names: .xlsx .xls .ods .csv .tsv/.tab/.txt
// .rc .xlf/.xliff (2.0) .po; none for any other name.
std::optional<Format> formatForFileName(const QString &fileName);
// The format a --format value names: xlsx xls ods csv tsv rc xliff (2.0),
// xliff2, xliff12 (1.2), po; none for any other word.
std::optional<Format> formatForName(const QString &name);
QString formatName(Format format);
// The names formatForName takes, for messages.
QStringList formatNames();

// Workbooks through the Excel automation stand-in.
inline bool isWorkbook(Format f) { return f == Format::Xlsx || f == Format::Xls; }
// The table layout of the workbooks: row 1 names, row 2 locale IDs, column 1 IDs.
inline bool isTabular(Format f) { return isWorkbook(f) || f == Format::Ods || f == Format::Csv || f == Format::Tsv; }
// One file per target language, with the source texts beside the targets.
inline bool isTranslation(Format f) { return f == Format::Xliff2 || f == Format::Xliff12 || f == Format::Po; }
// Formats whose file holds named sheets.
inline bool hasSheets(Format f) { return isWorkbook(f) || f == Format::Ods; }

// The file dialog's filters, one per format, then one for all of them.
QStringList fileDialogFilters();

} // namespace exchange
