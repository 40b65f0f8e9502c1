#pragma once

#include <QStringList>

namespace cli {

// The options export and import take for the formats beside the workbooks.
QStringList formatFlags();
QStringList formatValuedOptions();
// Their lines of the commands' --help.
#define QM_FORMAT_OPTIONS_HELP \
    "--format F        the format, whatever the extension: xlsx, xls, ods, csv, tsv, rc,\n" \
    "                  xliff (2.0), xliff12 (1.2), po; else the extension tells it\n" \
    "--source LOCALE   XLIFF, PO: the source language (default 2057, en-GB)\n" \
    "--target LOCALE   XLIFF, PO: the one target language of the file (export: needed;\n" \
    "                  import: default the file's own); a number or a tag (de-DE)\n" \
    "--separator S     CSV: , ; or tab (export default: , for .csv, tab for .tsv/.txt;\n" \
    "                  import default: detected)\n" \
    "-I, --include H   .rc: a header (or folder of headers) defining the names of IDs\n" \
    "                  and languages the script uses\n"

} // namespace cli
