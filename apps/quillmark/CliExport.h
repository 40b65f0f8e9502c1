#pragma once

// The tool's library exports only what the program and its modules
// call; everything else binds inside the library and costs no symbol lookup.
#define QM_CLI_EXPORT __attribute__((visibility("default")))
