#include "Command.h"
#include "Console.h"

#include "checks/StringTableChecks.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32core/Nls.h"
#include "pseudo/PseudoLocale.h"

namespace {

int run(const cli::Arguments &arguments)
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

const cli::Command command{
    "pseudo",
    "add a pseudo-locale made from the source texts, for testing the program",
    "Usage: quillmark pseudo FILE.res [--locale qps-ploc|qps-ploca|qps-plocm] [--source LOCALE] [-o OUT.res]\n"
    "Fills a Windows pseudo-locale with the texts of the source language (default:\n"
    "2057 English (United Kingdom) when the file has it, else its first language),\n"
    "with accented letters, about 40% longer and in brackets: \"Open file\" becomes\n"
    "\"[Ŏƥēñ ƒīľē !!!]\". Placeholders, & access keys, backslash escapes, line breaks\n"
    "and leading and trailing spaces stay as they are. Run the program under that\n"
    "locale to see what is cut off and what was never translated.\n"
    "  qps-ploc   1281 (0x0501) Pseudo Language (Pseudo), the default\n"
    "  qps-ploca  1534 (0x05FE) Pseudo Language (Pseudo Asia), padded with wide characters\n"
    "  qps-plocm  2559 (0x09FF) Pseudo Language (Pseudo Mirrored), right to left\n"
    "Running it again replaces the pseudo texts (strings gone from the source go\n"
    "from the pseudo-locale too). Saves FILE.res, or OUT.res with -o.\n",
    {},
    {QStringLiteral("--locale"), QStringLiteral("--source"), QStringLiteral("-o")},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
