#include "Command.h"
#include "Module.h"

namespace {

int run(const cli::Arguments &arguments)
{
    return cli::runInModule(cli::kReviewModule, "merge", arguments);
}

const cli::Command command{
    "merge",
    "merge two resource files, or their state files, changed from one base (a git merge driver)",
    "Usage: quillmark merge BASE OURS THEIRS [-o OUT]\n"
    "Merges the changes THEIRS made to BASE into OURS and writes the result into\n"
    "OURS (or OUT), atomically. Strings merge cell by cell (a cell is one ID in one\n"
    "locale): a cell changed on one side takes that change, a cell changed on both\n"
    "to the same text takes it, and a cell changed on both to different texts, or\n"
    "removed on one side and changed on the other, is a conflict. The other\n"
    "resources (icons, version information, ...) merge whole: one changed on one\n"
    "side is taken from that side, one changed on both differently is a conflict.\n"
    "A conflict keeps OURS' version and is listed on standard error (ID, locale,\n"
    "and the base, ours and theirs texts). An empty BASE (git's, when both sides\n"
    "added the file) counts as a file without strings.\n"
    "Exit status: 0 when merged cleanly, 1 when there were conflicts (the result\n"
    "is written all the same), 2 when a file cannot be read or written or the\n"
    "command line is wrong (then nothing is written).\n"
    "\n"
    "Review state files (NAME.res.state) merge the same way, line by line: a\n"
    "translation's line changed on one side takes that change, on both\n"
    "differently it is a conflict that keeps OURS' line; notes and other fields\n"
    "merge by name. Where both sides changed a line but only one changed the\n"
    "translation, the line comes from that side, as its text does in the resource\n"
    "file's merge, so that a translation made from an older source text still\n"
    "needs review.\n"
    "\n"
    "As git's merge and diff drivers for .res files and their states, in\n"
    ".gitattributes:\n"
    "  *.res merge=quillmark diff=quillmark\n"
    "  *.res.state merge=quillmark\n"
    "and once per repository (or with --global):\n"
    "  git config merge.quillmark.name \"Quillmark resource file merge\"\n"
    "  git config merge.quillmark.driver \"quillmark merge %O %A %B\"\n"
    "  git config diff.quillmark.textconv \"quillmark dump --textconv\"\n"
    "  git config diff.quillmark.cachetextconv true\n"
    "git diff then shows changed strings as text (see quillmark dump --help), and\n"
    "git merge merges the strings of two branches cell by cell.\n",
    {},
    {QStringLiteral("-o")},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
