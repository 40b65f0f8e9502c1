#include "FitModule.h"

#include "Module.h"

namespace cli {

bool checkWidthsInFitModule(const resutil::ResStrings &strings, qint32 sourceLocale, double factor, const QString &projectFile,
                            std::vector<checks::StringProblem> &problems, QString &error)
{
    void *entry = moduleEntry(kFitModule, "qm_cli_fit_check", error);
    if (!entry) {
        error = QStringLiteral("check --fit cannot run: %1").arg(error);
        return false;
    }
    return reinterpret_cast<decltype(&qm_cli_fit_check)>(entry)(strings, sourceLocale, factor, projectFile, problems, error) == 0;
}

} // namespace cli
