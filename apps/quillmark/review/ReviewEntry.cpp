#include "Module.h"
#include "ReviewCommands.h"

extern "C" QM_CLI_EXPORT int qm_cli_module_run(const char *command, const cli::Arguments &arguments)
{
    return cli::runModuleCommand({{"check", cli::runCheck},
                                  {"diff", cli::runDiff},
                                  {"merge", cli::runMerge},
                                  {"pseudo", cli::runPseudo},
                                  {"refs", cli::runRefs}},
                                 command, arguments);
}
