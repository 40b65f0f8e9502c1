#pragma once

#include "CliExport.h"

#include <QString>

#include <initializer_list>

namespace cli {

class Arguments;

// The commands that need more than Qt Core and the .res libraries run in
// modules beside this library, loaded only for them: every other command
// starts without what they link.
inline constexpr char kTransferModule[] = "libqm_cli_transfer.so"; // export, import: the workbook and exchange formats
inline constexpr char kMemoryModule[] = "libqm_cli_memory.so";     // memory, pretranslate: the translation memory (SQLite)
inline constexpr char kReviewModule[] = "libqm_cli_review.so";     // check, diff, merge, pseudo, refs
inline constexpr char kFitModule[] = "libqm_cli_fit.so";           // check --fit: Qt Gui's fonts

// The symbol entry of the module file that sits beside this library, wherever
// the tool was installed; nullptr, with the loader's reason in error, when
// the module cannot be loaded or lacks it.
QM_CLI_EXPORT void *moduleEntry(const char *file, const char *entry, QString &error);

// Runs command in the module file: "COMMAND cannot run: REASON" and
// ExitFailure when it cannot be loaded.
int runInModule(const char *file, const char *command, const Arguments &arguments);

// A command's work, in its module.
struct ModuleCommand {
    const char *name;
    int (*run)(const Arguments &arguments);
};

// For a module's entry: runs the one of commands named command.
QM_CLI_EXPORT int runModuleCommand(std::initializer_list<ModuleCommand> commands, const char *command, const Arguments &arguments);

} // namespace cli

// Every command module's entry point, looked up by this name.
extern "C" int qm_cli_module_run(const char *command, const cli::Arguments &arguments);
