#include "Command.h"

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

} // namespace cli
