#include "Command.h"
#include "Module.h"

namespace {

int run(const cli::Arguments &arguments)
{
    return cli::runInModule(cli::kMemoryModule, "memory", arguments);
}

const cli::Command command{
    "memory",
    "fill, search and export the translation memory",
    "Usage: quillmark memory add FILE...\n"
    "       quillmark memory export OUT.tmx\n"
    "       quillmark memory stats [--json]\n"
    "       quillmark memory lookup --source LOCALE --target LOCALE TEXT [--min-match N] [--json]\n"
    "The translation memory is one database per user, $XDG_DATA_HOME/quillmark/memory.db\n"
    "(~/.local/share/quillmark/memory.db), or the file $QM_MEMORY_FILE names; every\n"
    "host and run of the tool shares it.\n"
    "add      remembers the translations of each FILE: a .res (each string ID's text in\n"
    "         its source language, 2057 when it has it, else its first, paired with\n"
    "         every other language's), a .tmx (TMX 1.1 to 1.4), a .po or a .xlf/.xliff.\n"
    "export   writes every translation into a TMX 1.4 file.\n"
    "stats    counts the translations per pair of locales, and the database's size.\n"
    "lookup   lists the translations of TEXT, best first, one per line:\n"
    "         PERCENT<TAB>TEXT<TAB>FILE<TAB>ID. Access keys (&), placeholders (%1, %s,\n"
    "         {0}), a trailing colon or ellipsis, edge spaces and the first letter's case\n"
    "         are set aside to compare and put back on the translation: 100 is the same\n"
    "         text but for those. Nothing under N percent (default 70) is listed.\n"
    "         A TEXT that starts with \"-\" follows \"--\".\n"
    "A missing database is created. Exit status 1 when the memory cannot be used or a\n"
    "file cannot be read (the other files are still added).\n",
    {QStringLiteral("--json")},
    {QStringLiteral("--source"), QStringLiteral("--target"), QStringLiteral("--min-match")},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
