#include "Command.h"
#include "Console.h"
#include "DumpFormat.h"

#include "platform/resutil/ResScan.h"

#include <QFileInfo>

namespace {

int run(const cli::Arguments &arguments)
{
    if (arguments.positional().size() != 1)
        return cli::usageError(QStringLiteral("dump needs exactly one FILE.res (see quillmark dump --help)"));
    // Read-only: the file is scanned, not loaded into an editable model.
    const QString path = arguments.positional().first();
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
    "Usage: quillmark dump FILE.res [--json]\n"
    "Lists every string entry, sorted by locale ID, then string ID.\n"
    "Without --json: one line per string, LOCALE<TAB>ID<TAB>TEXT, with \\\\, \\t, \\n, \\r\n"
    "  and \\uXXXX (other control characters, unpaired surrogates) escaped in TEXT.\n"
    "With --json: {\"strings\": [[locale, id, \"text\"], ...], \"resources\": [{\"type\": 3,\n"
    "  \"name\": 1, \"lang\": 1033, \"size\": 744, \"sha256\": \"...\"}, ...]}, where resources\n"
    "  lists the other resources in file order (type and name are numbers when\n"
    "  ordinal, strings when named).\n",
    {QStringLiteral("--json")},
    {},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
