#include "Module.h"
#include "TransferCommands.h"

extern "C" QM_CLI_EXPORT int qm_cli_module_run(const char *command, const cli::Arguments &arguments)
{
    return cli::runModuleCommand({{"export", cli::runExport}, {"import", cli::runImport}}, command, arguments);
}
