#include "Command.h"
#include "FormatOptions.h"
#include "Module.h"

namespace {

int run(const cli::Arguments &arguments)
{
    return cli::runInModule(cli::kTransferModule, "import", arguments);
}

const cli::Command command{
    "import",
    "replace the string tables by a workbook's or another exchange file's",
    "Usage: quillmark import IN FILE.res [--sheet NAME] [-o OUT.res] [--dry-run] [--json]\n"
    "                        [--format F] [--target LOCALE] [--separator S] [-I HEADER]\n"
    "                        [--use-fuzzy]\n"
    "Replaces every string of FILE.res by the worksheet NAME of the workbook BOOK\n"
    "(default: FILE's name without its extension), laid out as export writes it,\n"
    "and saves FILE.res (or OUT.res). The whole sheet is read first: when it\n"
    "cannot be read or holds no string, nothing is saved. A short row has empty\n"
    "cells at its end. A locale ID that is not a number skips its\n"
    "column and an unreadable cell gives an empty text; both are reported as\n"
    "messages on standard error and the import goes on.\n"
    "IN may also be .ods, .csv/.tsv/.txt or .rc, which replace every string as a\n"
    "sheet does, or .xlf/.xliff/.po, which replace the texts of their target language\n"
    "for the units they hold (a unit whose ID the file does not have is reported).\n"
    "A PO entry marked fuzzy is a guess still to be checked: it is left out, as\n"
    "msgfmt leaves it out, and a message counts those left out. Obsolete entries\n"
    "(#~) are never taken.\n"
    "--dry-run   read, check and report as the import does, save nothing\n"
    "--use-fuzzy PO: take fuzzy entries as final translations\n"
    "--json      print {\"entries\": [[locale, id, \"text\"], ...], \"messages\": [...],\n"
    "            \"progress_max\": N}: the entries in the order the import made them\n" QM_FORMAT_OPTIONS_HELP,
    QStringList{QStringLiteral("--dry-run"), QStringLiteral("--json"), QStringLiteral("--use-fuzzy")} + cli::formatFlags(),
    QStringList{QStringLiteral("--sheet"), QStringLiteral("-o")} + cli::formatValuedOptions(),
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
