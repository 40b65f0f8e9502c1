#include "Command.h"
#include "Console.h"
#include "ReviewStatesCli.h"

#include "platform/common/AtomicFile.h"
#include "platform/resutil/ResFile.h"

#include <algorithm>

namespace cli {

namespace {

QList<const Command *> &registry()
{
    static QList<const Command *> all;
    return all;
}

} // namespace

RegisterCommand::RegisterCommand(const Command &command)
{
    registry().append(&command);
}

QList<const Command *> commands()
{
    QList<const Command *> sorted = registry();
    std::sort(sorted.begin(), sorted.end(), [](const Command *a, const Command *b) { return qstrcmp(a->name, b->name) < 0; });
    return sorted;
}

const Command *findCommand(const QString &name)
{
    for (const Command *command : registry())
        if (name == QLatin1String(command->name))
            return command;
    return nullptr;
}

int editResFile(const QString &path, const Arguments &arguments, const std::function<int(resutil::ResFile &)> &edit)
{
    // A device or a FIFO named as the output is refused before any work.
    if (arguments.has(QStringLiteral("-o")))
        if (auto status = qm::AtomicFile::checkTarget(arguments.value(QStringLiteral("-o"))); !status.ok())
            return fail(status.error());
    resutil::ResFile file;
    file.setFileName(path);
    attachStates(file);
    if (auto status = file.Load(); !status.ok())
        return fail(status.error());
    reportStates(file);
    if (const int status = edit(file); status != 0)
        return status;
    if (arguments.has(QStringLiteral("-o")))
        file.setFileName(arguments.value(QStringLiteral("-o")));
    if (auto status = file.Save(0); !status.ok())
        return fail(status.error());
    return 0;
}

} // namespace cli
