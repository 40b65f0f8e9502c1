#pragma once

#include "Console.h"

namespace cli {

// The commands' work in the memory module (libqm_cli_memory.so, see Module.h).
int runMemory(const Arguments &arguments);
int runMemoryAdd(const Arguments &arguments); // memory add FILE...
int runPretranslate(const Arguments &arguments);

} // namespace cli
