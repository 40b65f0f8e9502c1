#include "Command.h"
#include "Console.h"
#include "DumpFormat.h"
#include "Textconv.h"

#include "platform/resutil/ResScan.h"

#include <QFileInfo>

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
    // Read-only: the file is scanned, not loaded into an editable model.
    // The UTF-8 text takes about as many bytes as the file's UTF-16.
    cli::DumpWriter writer(arguments.has(QStringLiteral("--json")), QFileInfo(path).size());
    QList<resutil::ResResource> others;
    const auto status = resutil::scanResFile(
        path, [&](quint16 localeId, quint16 id, QStringView text) { writer.addString(localeId, id, text); }, &others);
    if (!status.ok())
        return cli::fail(status.error());
    return cli::writeResult(path, writer.finish(others));
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
