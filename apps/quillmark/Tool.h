#pragma once

#include "CliExport.h"

// The tool itself, in its library: the quillmark program loads it and calls
// this with main's arguments, and exits with what it returns. Plain C, so
// that the program needs neither Qt nor the C++ library.
extern "C" QM_CLI_EXPORT int qm_cli_main(int argc, char **argv);

// The tool's help, as "quillmark --help" prints it. The build writes it into
// the program, which then answers --help without loading the tool.
extern "C" QM_CLI_EXPORT const char *qm_cli_tool_help();

// The library's file name, and the name of the entry point in it.
#define QM_CLI_LIBRARY "libqm_cli.so"
#define QM_CLI_ENTRY "qm_cli_main"
