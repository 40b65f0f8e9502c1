#include "Module.h"

#include "Console.h"

#include <dlfcn.h>

#include <cstring>
#include <string>

namespace cli {

namespace {

std::string besideThisLibrary(const char *file)
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&moduleEntry), &info) != 0 && info.dli_fname) {
        const std::string self = info.dli_fname;
        if (const auto slash = self.rfind('/'); slash != std::string::npos)
            return self.substr(0, slash + 1) + file;
    }
    return file;
}

} // namespace

void *moduleEntry(const char *file, const char *entry, QString &error)
{
    // Never closed: what it returns may point into it until the process ends.
    void *module = dlopen(besideThisLibrary(file).c_str(), RTLD_LAZY | RTLD_LOCAL);
    void *symbol = module ? dlsym(module, entry) : nullptr;
    if (!symbol) {
        const char *reason = dlerror();
        error = reason ? QString::fromLocal8Bit(reason)
                       : QStringLiteral("%1 has no %2").arg(QString::fromUtf8(file), QString::fromUtf8(entry));
    }
    return symbol;
}

int runInModule(const char *file, const char *command, const Arguments &arguments)
{
    QString error;
    void *entry = moduleEntry(file, "qm_cli_module_run", error);
    if (!entry)
        return fail(QStringLiteral("%1 cannot run: %2").arg(QString::fromUtf8(command), error));
    return reinterpret_cast<decltype(&qm_cli_module_run)>(entry)(command, arguments);
}

int runModuleCommand(std::initializer_list<ModuleCommand> commands, const char *command, const Arguments &arguments)
{
    for (const ModuleCommand &known : commands)
        if (std::strcmp(known.name, command) == 0)
            return known.run(arguments);
    return fail(QStringLiteral("the module has no command \"%1\"").arg(QString::fromUtf8(command)));
}

} // namespace cli
