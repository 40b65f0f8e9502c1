#pragma once

#include "CliExport.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace resutil {
class ResFile;
}

namespace cli {
class Arguments;
}

namespace cli {

// One subcommand of the tool. The tool parses the arguments after the
// command's name with the options listed here (and -h/--help), then calls run(),
// which returns the exit status (ExitSuccess, ExitFailure or ExitUsage of Console.h).
struct Command {
    const char *name;
    const char *summary; // one line for the tool's --help
    const char *help;    // the command's --help text, usage line first
    QStringList flags;   // options without a value, such as "--json"
    QStringList valued;  // options that take a value, such as "-o"
    int (*run)(const Arguments &arguments);
};

// Every command, sorted by name.
QList<const Command *> commands();
const Command *findCommand(const QString &name);

// Defined once per command file: static const cli::RegisterCommand registered{...};
struct RegisterCommand {
    explicit RegisterCommand(const Command &command);
};

// Loads path, lets edit change it, and saves it with Save to the value of -o
// when that option was given, else back to path. edit returns 0 to go on, or
// the exit status of a failure it reported, and then nothing is saved.
// Returns the exit status.
QM_CLI_EXPORT int editResFile(const QString &path, const Arguments &arguments, const std::function<int(resutil::ResFile &file)> &edit);

} // namespace cli
