#include "Command.h"
#include "Console.h"
#include "Textconv.h"

#include "platform/resdump/DumpFile.h"
#include "platform/resutil/ResScan.h"

#include <QFile>

#include <unistd.h>

#include <cstring>

namespace {

int run(const cli::Arguments &arguments)
{
    if (arguments.positional().size() != 1)
        return cli::usageError(QStringLiteral("dump needs exactly one FILE.res (see quillmark dump --help)"));
    const QString path = arguments.positional().first();
    if (arguments.has(QStringLiteral("--textconv"))) {
        if (arguments.has(QStringLiteral("--json")))
            return cli::usageError(QStringLiteral("dump takes either --json or --textconv (see quillmark dump --help)"));
        return cli::dumpTextconv(path);
    }
    // The program dumps a file it can on its own; here the rest, and the
    // reason for a file that cannot be dumped, as the resource library gives it.
    const auto form = arguments.has(QStringLiteral("--json")) ? resdump::DumpForm::Json : resdump::DumpForm::Lines;
    int error = 0;
    switch (resdump::dumpFile(QFile::encodeName(path).constData(), form, STDOUT_FILENO, error)) {
    case resdump::DumpFileResult::Written:
        return cli::ExitSuccess;
    case resdump::DumpFileResult::WriteFailed:
        return cli::fail(path, QStringLiteral("the output could not be written: %1")
                                   .arg(error ? QString::fromLocal8Bit(std::strerror(error)) : QStringLiteral("write error")));
    case resdump::DumpFileResult::NotTaken:
        break;
    }
    if (const auto status = resutil::scanResFile(path, [](quint16, quint16, QStringView) {}); !status.ok())
        return cli::fail(status.error());
    return cli::fail(path, QStringLiteral("cannot be dumped: it changed while it was read, or memory ran out"));
}

const cli::Command command{
    "dump",
    "list the strings of a resource file",
    "Usage: quillmark dump FILE.res [--json | --textconv]\n"
    "Lists every string entry, sorted by locale ID, then string ID.\n"
    "Without --json: one line per string, LOCALE<TAB>ID<TAB>TEXT, with \\\\, \\t, \\n, \\r\n"
    "  and \\uXXXX (other control characters, unpaired surrogates) escaped in TEXT.\n"
    "With --json: {\"strings\": [[locale, id, \"text\"], ...], \"resources\": [{\"type\": 3,\n"
    "  \"name\": 1, \"lang\": 1033, \"size\": 744, \"sha256\": \"...\"}, ...]}, where resources\n"
    "  lists the other resources in file order (type and name are numbers when\n"
    "  ordinal, strings when named).\n"
    "With --textconv: text for git's diff (see quillmark help merge), one line per\n"
    "  string sorted by ID, then locale: ID<TAB>LOCALE<TAB>TEXT, LOCALE as a tag\n"
    "  (de-DE) where one is known; then one line per other resource with its size\n"
    "  and SHA-256. A file that cannot be read gives one line saying why, and exit\n"
    "  status 0, so that git still shows the versions it can read.\n",
    {QStringLiteral("--json"), QStringLiteral("--textconv")},
    {},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
