#include "Command.h"
#include "Module.h"

namespace {

int run(const cli::Arguments &arguments)
{
    return cli::runInModule(cli::kMemoryModule, "pretranslate", arguments);
}

const cli::Command command{
    "pretranslate",
    "fill a language's missing texts from the translation memory",
    "Usage: quillmark pretranslate FILE.res --target LOCALE [--source LOCALE] [--min-match N] [-o OUT.res]\n"
    "Gives every string of FILE.res that has a text in the source language (default:\n"
    "2057 when the file has it, else its first language) and none in LOCALE the\n"
    "translation memory's best translation of at least N percent (default 100: the\n"
    "same text but for access keys, placeholders, a trailing colon or ellipsis, edge\n"
    "spaces and the first letter's case, which are taken from the source text).\n"
    "Texts LOCALE has are never changed. Saves FILE.res (or OUT.res) when a text was\n"
    "filled, and prints one line: how many were filled at which match level.\n"
    "Without a usable memory nothing is filled; a note says why. Exit status 0 unless\n"
    "the file cannot be read or written.\n",
    {},
    {QStringLiteral("--target"), QStringLiteral("--source"), QStringLiteral("--min-match"), QStringLiteral("-o")},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
