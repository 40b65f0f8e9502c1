#include "Command.h"
#include "FormatOptions.h"
#include "Module.h"

namespace {

int run(const cli::Arguments &arguments)
{
    return cli::runInModule(cli::kTransferModule, "export", arguments);
}

const cli::Command command{
    "export",
    "write the string tables into a workbook or another exchange file",
    "Usage: quillmark export FILE.res OUT [--sheet NAME] [--format F] [--source LOCALE]\n"
    "                        [--target LOCALE] [--separator S] [-I HEADER] [--force]\n"
    "Writes every string of FILE.res into the worksheet NAME of the workbook BOOK\n"
    "(default: FILE's name without its extension) and saves BOOK. Row 1 holds the\n"
    "language names, row 2 the locale IDs, column A the string IDs from row 3 on,\n"
    "in the order each first occurs in the file. An existing BOOK keeps its other\n"
    "sheets; a sheet of that name is cleared and rewritten. A new BOOK is written\n"
    "as .xls when its name ends in .xls, else as .xlsx.\n"
    "OUT may also be .ods (the same layout; an existing file keeps its other sheets),\n"
    ".csv/.tsv/.txt (the same layout, UTF-8), .rc (string tables per LANGUAGE),\n"
    ".xlf/.xliff (XLIFF 2.0) or .po (gettext), the last two for one target language.\n"
    "An unknown extension is refused.\n"
    "An existing .rc keeps every line but its STRINGTABLE blocks: each language's\n"
    "table takes the place of its first one there, and a language the script had\n"
    "no table for follows the last table. An existing CSV, TSV, XLIFF or PO file is\n"
    "replaced only with --force; without it nothing is written.\n"
    "--force           replace an existing CSV, TSV, XLIFF or PO file\n" QM_FORMAT_OPTIONS_HELP,
    QStringList{QStringLiteral("--force")} + cli::formatFlags(),
    QStringList{QStringLiteral("--sheet")} + cli::formatValuedOptions(),
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
