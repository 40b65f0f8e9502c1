#include "Command.h"
#include "Console.h"

#include "platform/resutil/ResFile.h"

#include <QFileInfo>

namespace {

int run(const cli::Arguments &arguments)
{
    if (arguments.positional().size() != 1)
        return cli::usageError(QStringLiteral("create needs exactly one FILE.res (see quillmark create --help)"));
    const QString &path = arguments.positional().first();
    if (QFileInfo::exists(path) && !arguments.has(QStringLiteral("--force")))
        return cli::fail(path, QStringLiteral("already exists; nothing was written (use --force to replace it)"));
    resutil::ResFile file;
    file.setFileName(path);
    if (auto status = file.Create(); !status.ok())
        return cli::fail(status.error());
    return 0;
}

const cli::Command command{
    "create",
    "write a new resource file without strings",
    "Usage: quillmark create FILE.res [--force]\n"
    "Writes a new, empty resource file. An existing file is replaced only with --force.\n",
    {QStringLiteral("--force")},
    {},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
