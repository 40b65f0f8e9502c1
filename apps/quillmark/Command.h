#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace cli {

// One subcommand of the tool. run() gets the arguments after the command's
// name and returns the exit status (0 success, 1 any error).
struct Command {
    const char *name;
    const char *summary; // one line for the tool's --help
    const char *help;    // the command's --help text, usage line first
    int (*run)(const QStringList &args);
};

// Every command, sorted by name.
QList<const Command *> commands();
const Command *findCommand(const QString &name);

// Defined once per command file: static const cli::RegisterCommand registered{...};
struct RegisterCommand {
    explicit RegisterCommand(const Command &command);
};

} // namespace cli
