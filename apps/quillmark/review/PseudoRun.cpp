#include "ReviewCommands.h"
#include "Command.h"
#include "Console.h"

#include "checks/StringTableChecks.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32core/Nls.h"
#include "pseudo/PseudoLocale.h"

namespace {

} // namespace

namespace cli {

int runPseudo(const Arguments &arguments)
{
    if (arguments.positional().size() != 1)
        return cli::usageError(QStringLiteral("pseudo needs exactly one FILE.res (see quillmark pseudo --help)"));
    qint32 pseudoLocale = pseudo::kPloc;
    if (arguments.has(QStringLiteral("--locale"))) {
        const QString name = arguments.value(QStringLiteral("--locale"));
        const std::optional<qint32> chosen = pseudo::localeFromName(name);
        if (!chosen)
            return cli::usageError(QStringLiteral("--locale \"%1\" is not a pseudo-locale: use qps-ploc, qps-ploca or qps-plocm").arg(name));
        pseudoLocale = *chosen;
    }
    const QString path = arguments.positional().first();
    return cli::editResFile(path, arguments, [&](resutil::ResFile &file) {
        QList<qint32> languages = file.Languages();
        languages.removeAll(pseudoLocale);
        std::optional<qint32> source;
        if (arguments.has(QStringLiteral("--source"))) {
            source = cli::parseLocale(arguments.value(QStringLiteral("--source")));
            if (!source)
                return cli::usageError(cli::badLocale(QStringLiteral("--source"), arguments.value(QStringLiteral("--source"))));
            if (!languages.contains(*source))
                return cli::fail(path, QStringLiteral("--source %1: the file has no strings in that language").arg(*source));
        } else {
            // Another pseudo-locale is never the source of one.
            languages.removeIf([](qint32 l) { return pseudo::isPseudoLocale(l); });
            if (languages.isEmpty())
                return cli::fail(path, QStringLiteral("the file has no strings to make pseudo texts from"));
            source = checks::defaultSourceLanguage(languages);
        }
        const qsizetype count = pseudo::fillPseudoLocale(file.Strings(), *source, pseudoLocale);
        cli::writeOut(QStringLiteral("%1 pseudo texts in %2 %3 from %4\n")
                          .arg(count)
                          .arg(pseudoLocale)
                          .arg(win32::LocaleDisplayName(win32::LCID(pseudoLocale), 1033))
                          .arg(*source));
        return 0;
    });
}

} // namespace cli
