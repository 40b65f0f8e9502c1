// check --fit: the texts measured in the fonts the grid draws them in, the
// user's choice per language from the registry, else the default for its script.
#include "CliExport.h"
#include "review/FitModule.h"

#include "fit/TextWidth.h"
#include "fit/WidthFactorSetting.h"
#include "languages/modUtilFonts.h"

#include <QFont>
#include <QGuiApplication>

#include <cstdlib>
#include <memory>

extern "C" QM_CLI_EXPORT int qm_cli_fit_check(const resutil::ResStrings &strings, qint32 sourceLocale,
                                                                        double factor, const QString &projectFile,
                                                                        std::vector<checks::StringProblem> &problems,
                                                                        QString &error)
{
    // Fonts need a QGuiApplication; without a window, on Qt's offscreen platform.
    static int argc = 1;
    static char name[] = "quillmark";
    static char *argv[] = {name, nullptr};
    // Qt's notes on running without a desktop session (no XDG_RUNTIME_DIR) are no problem of the check.
    struct QuietQt {
        QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &) {
            if (type == QtFatalMsg)
                std::abort();
        });
        ~QuietQt() { qInstallMessageHandler(previous); }
    } quiet;
    std::unique_ptr<QGuiApplication> application;
    if (!QGuiApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        error = QStringLiteral("check --fit cannot measure texts: the program runs without fonts");
        return 1;
    }
    const QFont base = QGuiApplication::font();
    const fit::FontForLocale fontFor = [&](qint32 localeId) {
        QFont font = base;
        font.setFamilies({modUtil::GetStoredLanguageFont(localeId, modUtil::GetDefaultFontForLocale(localeId))});
        return font;
    };
    const double used = factor > 0 ? factor : fit::storedWidthFactor(projectFile);
    std::vector<checks::StringProblem> found = fit::checkWidths(strings, sourceLocale, fontFor, used);
    problems.insert(problems.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    return 0;
}
