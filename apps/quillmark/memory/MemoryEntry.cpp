#include "MemoryCommands.h"
#include "Module.h"

extern "C" QM_CLI_EXPORT int qm_cli_module_run(const char *command, const cli::Arguments &arguments)
{
    return cli::runModuleCommand({{"memory", cli::runMemory}, {"pretranslate", cli::runPretranslate}}, command, arguments);
}
