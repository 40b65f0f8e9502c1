#include "TransferModule.h"

#include <cstring>

extern "C" QM_CLI_EXPORT int qm_cli_transfer_run(const char *command, const cli::Arguments &arguments)
{
    if (std::strcmp(command, "export") == 0)
        return cli::runExport(arguments);
    if (std::strcmp(command, "import") == 0)
        return cli::runImport(arguments);
    if (std::strcmp(command, "memory-add") == 0)
        return cli::runMemoryAdd(arguments);
    return cli::fail(QStringLiteral("the transfer module has no command \"%1\"").arg(QString::fromUtf8(command)));
}
