#include "Command.h"
#include "Console.h"
#include "DumpFormat.h"

#include "platform/resutil/ResFile.h"

namespace {

int run(const QStringList &args)
{
    const cli::Arguments arguments(args, {QStringLiteral("--json")}, {});
    if (!arguments.ok())
        return cli::fail(arguments.error());
    if (arguments.positional().size() != 1)
        return cli::fail(QStringLiteral("dump needs exactly one FILE.res (see quillmark dump --help)"));
    resutil::ResFile file;
    file.setFileName(arguments.positional().first());
    if (auto status = file.Load(); !status.ok())
        return cli::fail(status.error());
    cli::writeOut(arguments.has(QStringLiteral("--json")) ? cli::dumpJson(file) : cli::dumpText(file));
    return 0;
}

const cli::Command command{
    "dump",
    "list the strings of a resource file",
    "Usage: quillmark dump FILE.res [--json]\n"
    "Lists every string entry, sorted by locale ID, then string ID.\n"
    "Without --json: one line per string, LOCALE<TAB>ID<TAB>TEXT, with \\\\, \\t, \\n, \\r\n"
    "  and \\uXXXX (other control characters, unpaired surrogates) escaped in TEXT.\n"
    "With --json: {\"strings\": [[locale, id, \"text\"], ...], \"resources\": [{\"type\": 3,\n"
    "  \"name\": 1, \"lang\": 1033, \"size\": 744, \"sha256\": \"...\"}, ...]}, where resources\n"
    "  lists the other resources in file order (type and name are numbers when\n"
    "  ordinal, strings when named).\n",
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
