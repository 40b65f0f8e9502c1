#include "Command.h"
#include "Console.h"

#include "platform/resutil/ResFile.h"

namespace {

int run(const cli::Arguments &arguments)
{
    if (arguments.positional().size() != 1)
        return cli::usageError(QStringLiteral("remove needs exactly one FILE.res (see quillmark remove --help)"));
    const QString &path = arguments.positional().first();
    std::optional<qint32> id;
    std::optional<qint32> locale;
    if (arguments.has(QStringLiteral("--id"))) {
        id = cli::parseNumber(arguments.value(QStringLiteral("--id")));
        if (!id)
            return cli::usageError(QStringLiteral("--id \"%1\" is not a decimal number").arg(arguments.value(QStringLiteral("--id"))));
    }
    if (arguments.has(QStringLiteral("--lang"))) {
        locale = cli::parseLocale(arguments.value(QStringLiteral("--lang")));
        if (!locale)
            return cli::usageError(cli::badLocale(QStringLiteral("--lang"), arguments.value(QStringLiteral("--lang"))));
    }
    if (!id && !locale)
        return cli::usageError(QStringLiteral("say what to remove with --id ID or --lang LOCALE (see quillmark remove --help)"));

    return cli::editResFile(path, arguments, [&](resutil::ResFile &file) {
        int removed = 0;
        for (resutil::ResString *entry : file.Strings()) {
            if ((!id || entry->ID() == *id) && (!locale || entry->LocaleID() == *locale)) {
                if (auto status = file.Strings().Remove(entry); !status.ok())
                    return cli::fail(path, status.errorString());
                ++removed;
            }
        }
        if (removed == 0)
            return cli::fail(path, QStringLiteral("no string matches; nothing was changed"));
        return 0;
    });
}

const cli::Command command{
    "remove",
    "remove a string ID or a language",
    "Usage: quillmark remove FILE.res --id ID [-o OUT.res]\n"
    "       quillmark remove FILE.res --lang LOCALE [-o OUT.res]\n"
    "Removes string ID in every language (--id), every string of a language\n"
    "(--lang), or with both options the one string that has both, and saves\n"
    "FILE.res (or OUT.res). It is an error when no string matches.\n"
    "LOCALE is a locale ID in decimal (1033) or hexadecimal (0x409), or a locale\n"
    "tag (en-US).\n",
    {},
    {QStringLiteral("--id"), QStringLiteral("--lang"), QStringLiteral("-o")},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
