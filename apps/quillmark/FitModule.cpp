#include "FitModule.h"

#include <dlfcn.h>

#include <string>

namespace cli {

namespace {

const char kModuleFile[] = "libqm_cli_fit.so";

// Beside this library, wherever the tool was installed.
std::string modulePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&checkWidthsInFitModule), &info) != 0 && info.dli_fname) {
        const std::string self = info.dli_fname;
        if (const auto slash = self.rfind('/'); slash != std::string::npos)
            return self.substr(0, slash + 1) + kModuleFile;
    }
    return kModuleFile;
}

} // namespace

bool checkWidthsInFitModule(const resutil::ResStrings &strings, qint32 sourceLocale, double factor, const QString &projectFile,
                            std::vector<checks::StringProblem> &problems, QString &error)
{
    void *module = dlopen(modulePath().c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!module) {
        error = QStringLiteral("check --fit cannot run: %1").arg(QString::fromLocal8Bit(dlerror()));
        return false;
    }
    void *entry = dlsym(module, "qm_cli_fit_check");
    if (!entry) {
        error = QStringLiteral("check --fit cannot run: %1").arg(QString::fromLocal8Bit(dlerror()));
        return false;
    }
    return reinterpret_cast<decltype(&qm_cli_fit_check)>(entry)(strings, sourceLocale, factor, projectFile, problems, error) == 0;
}

} // namespace cli
