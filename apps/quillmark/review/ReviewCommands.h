#pragma once

#include "Console.h"

namespace cli {

// The commands' work in the review module (libqm_cli_review.so, see Module.h):
// the checks, the code's references, the pseudo-locales and the comparison
// and merge of two or three versions of a file.
int runCheck(const Arguments &arguments);
int runDiff(const Arguments &arguments);
int runMerge(const Arguments &arguments);
int runPseudo(const Arguments &arguments);
int runRefs(const Arguments &arguments);

} // namespace cli
