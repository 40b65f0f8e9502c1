#include "Command.h"
#include "Console.h"

#include "platform/resutil/ResFile.h"

namespace {

int run(const QStringList &args)
{
    const cli::Arguments arguments(args, {}, {QStringLiteral("-o")});
    if (!arguments.ok())
        return cli::fail(arguments.error());
    const QStringList &positional = arguments.positional();
    if (positional.size() != 4)
        return cli::fail(QStringLiteral("set needs FILE.res LOCALE ID TEXT (see quillmark set --help)"));
    const QString &path = positional[0];
    const auto locale = cli::parseNumber(positional[1]);
    if (!locale)
        return cli::fail(path, QStringLiteral("LOCALE \"%1\" is not a decimal number").arg(positional[1]));
    const auto id = cli::parseNumber(positional[2]);
    if (!id)
        return cli::fail(path, QStringLiteral("ID \"%1\" is not a decimal number").arg(positional[2]));

    return cli::editResFile(path, arguments, [&](resutil::ResFile &file) {
        if (resutil::ResString *entry = file.Strings().Find(*locale, *id))
            entry->setText(positional[3]);
        else
            file.Strings().Add(*locale, *id, positional[3]);
        return 0;
    });
}

const cli::Command command{
    "set",
    "set the text of one string",
    "Usage: quillmark set FILE.res LOCALE ID TEXT [-o OUT.res]\n"
    "Sets the text of string ID in locale LOCALE (decimal numbers, 0..65535),\n"
    "adding the string if there is none, and saves FILE.res (or OUT.res).\n"
    "The format has no empty string: an empty TEXT means the string is not stored.\n"
    "Every other resource of the file is kept unchanged.\n",
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
