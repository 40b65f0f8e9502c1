#pragma once

#include "Console.h"

namespace cli {

// The commands' work in the transfer module (libqm_cli_transfer.so, see Module.h).
int runExport(const Arguments &arguments);
int runImport(const Arguments &arguments);

} // namespace cli
