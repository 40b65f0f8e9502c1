#include "Command.h"
#include "Console.h"

#include "platform/resutil/ResFile.h"

namespace {

int run(const QStringList &args)
{
    const cli::Arguments arguments(args, {}, {QStringLiteral("--id"), QStringLiteral("--lang"), QStringLiteral("-o")});
    if (!arguments.ok())
        return cli::fail(arguments.error());
    if (arguments.positional().size() != 1)
        return cli::fail(QStringLiteral("remove needs exactly one FILE.res (see quillmark remove --help)"));
    const QString &path = arguments.positional().first();
    std::optional<qint32> id;
    std::optional<qint32> locale;
    if (arguments.has(QStringLiteral("--id"))) {
        id = cli::parseNumber(arguments.value(QStringLiteral("--id")));
        if (!id)
            return cli::fail(path, QStringLiteral("--id \"%1\" is not a decimal number").arg(arguments.value(QStringLiteral("--id"))));
    }
    if (arguments.has(QStringLiteral("--lang"))) {
        locale = cli::parseNumber(arguments.value(QStringLiteral("--lang")));
        if (!locale)
            return cli::fail(path, QStringLiteral("--lang \"%1\" is not a decimal number").arg(arguments.value(QStringLiteral("--lang"))));
    }
    if (!id && !locale)
        return cli::fail(path, QStringLiteral("say what to remove with --id ID or --lang LOCALE"));

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
    "FILE.res (or OUT.res). It is an error when no string matches.\n",
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
