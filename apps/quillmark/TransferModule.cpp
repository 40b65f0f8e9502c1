#include "TransferModule.h"

#include <dlfcn.h>

#include <string>

namespace cli {

namespace {

const char kModuleFile[] = "libqm_cli_transfer.so";

// The module's path: beside this library, wherever the tool was installed.
std::string modulePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&runInTransferModule), &info) != 0 && info.dli_fname) {
        const std::string self = info.dli_fname;
        if (const auto slash = self.rfind('/'); slash != std::string::npos)
            return self.substr(0, slash + 1) + kModuleFile;
    }
    return kModuleFile;
}

} // namespace

int runInTransferModule(const char *command, const Arguments &arguments)
{
    const QString name = QString::fromUtf8(command);
    void *module = dlopen(modulePath().c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!module)
        return fail(QStringLiteral("%1 cannot run: %2").arg(name, QString::fromLocal8Bit(dlerror())));
    void *entry = dlsym(module, "qm_cli_transfer_run");
    if (!entry)
        return fail(QStringLiteral("%1 cannot run: %2").arg(name, QString::fromLocal8Bit(dlerror())));
    return reinterpret_cast<decltype(&qm_cli_transfer_run)>(entry)(command, arguments);
}

} // namespace cli
