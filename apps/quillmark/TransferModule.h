#pragma once

#include "Console.h"

namespace cli {

// export and import run in a module of their own, loaded only for them: the
// other commands start without the workbook and exchange libraries (libzip,
// libgsf and what those pull in). Loads the module that sits beside this
// library and runs command in it; a module that cannot be loaded is reported
// and gives ExitFailure.
int runInTransferModule(const char *command, const Arguments &arguments);

// The commands' work, in the module.
int runExport(const Arguments &arguments);
int runImport(const Arguments &arguments);
int runMemoryAdd(const Arguments &arguments); // memory add FILE...

} // namespace cli

// The module's entry point, looked up by this name.
extern "C" int qm_cli_transfer_run(const char *command, const cli::Arguments &arguments);
