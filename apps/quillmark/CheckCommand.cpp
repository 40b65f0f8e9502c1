#include "Command.h"
#include "Module.h"

namespace {

int run(const cli::Arguments &arguments)
{
    return cli::runInModule(cli::kReviewModule, "check", arguments);
}

const cli::Command command{
    "check",
    "check the translations for placeholders, breaks, spaces, access keys, consistency, punctuation",
    "Usage: quillmark check FILE.res [--source LOCALE] [--project PROJECT.vbp [--unused]]\n"
    "                      [--spelling] [--fit [--factor N]] [--json]\n"
    "Compares every language's texts with those of the source language (default:\n"
    "the one the state file names, else 2057 English (United Kingdom) when the file\n"
    "has it, else its first language;\n"
    "a neutral LOCALE such as de names the file's first language of that family)\n"
    "and lists what would break the program at run time:\n"
    "  placeholder  %1..%9, printf's %s/%d/%ld/%% and .NET's {0} missing or added\n"
    "               (printf's in the order of the source)\n"
    "  line-breaks  another number of line breaks\n"
    "  spaces       leading or trailing spaces that differ from the source\n"
    "  access-key   an & access key in one text and not in the other (&& is a plain &)\n"
    "  empty        no translation for a source text\n"
    "  inconsistent the same source text translated otherwise in another string, or\n"
    "               another source text translated the same (names that string's ID)\n"
    "  punctuation  the source ends in . : ? ! or an ellipsis and the translation in\n"
    "               none of its language's equivalents (Greek ;, Arabic \u061F, the\n"
    "               full-width \u3002\uFF1F\uFF01\uFF1A, Spanish \u00BF...?), or the other way round\n"
    "and what the review states kept beside it (FILE.res.state) tell:\n"
    "  outdated     the source text changed since the translation was made\n"
    "  too-long     longer than the string's maximum length, in characters\n"
    "With --spelling (off by default, since it depends on the dictionaries installed):\n"
    "  spelling     a word the language's Hunspell dictionary (de-DE: de_DE, else de)\n"
    "               and the user's own word list do not hold; words with digits,\n"
    "               in capitals or also in the source text are left alone, as are\n"
    "               placeholders and the & of access keys. A language without a\n"
    "               dictionary is named once, with ID 0 (\"No dictionary for ...\").\n"
    "With --fit (the fonts the grid draws each language in, without a window):\n"
    "  width        a line of the translation more than N times as wide as the\n"
    "               source's (N from --factor, else the project's setting, else 1.3)\n"
    "With --project, the code of the project's members is read too (see quillmark\n"
    "refs) and, after the problems above, sorted by ID:\n"
    "  missing-id   an ID the code uses that no language has (LOCALE 0), or that the\n"
    "               source language lacks (LOCALE the source); a LoadResData or\n"
    "               LoadResPicture resource the file lacks (ID its name when named)\n"
    "  unused       with --unused: a string ID no LoadResString uses (LOCALE 0); off\n"
    "               by default, since a program may compute its IDs\n"
    "Without --json: one line per problem, LOCALE<TAB>ID<TAB>RULE<TAB>TEXT, sorted by\n"
    "  locale, then ID. With --json: {\"source\": 2057, \"problems\": [{\"locale\": 1031,\n"
    "  \"id\": 102, \"rule\": \"placeholder\", \"text\": \"%1 is missing\"}, ...]}.\n"
    "Exit status 1 when there is at least one problem (or the file cannot be read),\n"
    "0 when there is none, so a build can stop on a broken translation.\n",
    {QStringLiteral("--json"), QStringLiteral("--unused"), QStringLiteral("--spelling"), QStringLiteral("--fit")},
    {QStringLiteral("--source"), QStringLiteral("--project"), QStringLiteral("--factor")},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
