#include "Command.h"
#include "Module.h"

namespace {

int run(const cli::Arguments &arguments)
{
    return cli::runInModule(cli::kReviewModule, "pseudo", arguments);
}

const cli::Command command{
    "pseudo",
    "add a pseudo-locale made from the source texts, for testing the program",
    "Usage: quillmark pseudo FILE.res [--locale qps-ploc|qps-ploca|qps-plocm] [--source LOCALE] [-o OUT.res]\n"
    "Fills a Windows pseudo-locale with the texts of the source language (default:\n"
    "2057 English (United Kingdom) when the file has it, else its first language),\n"
    "with accented letters, about 40% longer and in brackets: \"Open file\" becomes\n"
    "\"[Ŏƥēñ ƒīľē !!!]\". Placeholders, & access keys, backslash escapes, line breaks\n"
    "and leading and trailing spaces stay as they are. Run the program under that\n"
    "locale to see what is cut off and what was never translated.\n"
    "  qps-ploc   1281 (0x0501) Pseudo Language (Pseudo), the default\n"
    "  qps-ploca  1534 (0x05FE) Pseudo Language (Pseudo Asia), padded with wide characters\n"
    "  qps-plocm  2559 (0x09FF) Pseudo Language (Pseudo Mirrored), right to left\n"
    "Running it again replaces the pseudo texts (strings gone from the source go\n"
    "from the pseudo-locale too). Saves FILE.res, or OUT.res with -o.\n",
    {},
    {QStringLiteral("--locale"), QStringLiteral("--source"), QStringLiteral("-o")},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
