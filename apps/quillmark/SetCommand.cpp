#include "Command.h"
#include "Console.h"

#include "platform/resutil/ResFile.h"
#include "reviewstate/ReviewStates.h"

namespace {

int run(const cli::Arguments &arguments)
{
    const QStringList &positional = arguments.positional();
    if (positional.size() != 4)
        return cli::usageError(QStringLiteral("set needs FILE.res LOCALE ID TEXT (see quillmark set --help)"));
    const QString &path = positional[0];
    const auto locale = cli::parseLocale(positional[1]);
    if (!locale)
        return cli::usageError(cli::badLocale(QStringLiteral("LOCALE"), positional[1]));
    const auto id = cli::parseNumber(positional[2]);
    if (!id)
        return cli::usageError(QStringLiteral("ID \"%1\" is not a decimal number").arg(positional[2]));

    return cli::editResFile(path, arguments, [&](resutil::ResFile &file) {
        if (resutil::ResString *entry = file.Strings().Find(*locale, *id))
            entry->setText(positional[3]);
        else
            file.Strings().Add(*locale, *id, positional[3]);
        // What is set is translated; a changed source text leaves the other
        // languages' texts of the ID needing review.
        if (auto *states = reviewstate::ReviewStates::of(file); states && states->readable() && !positional[3].isEmpty())
            if (auto marked = states->markTranslated(*locale, *id); !marked)
                return cli::fail(path, marked.errorString());
        return 0;
    });
}

const cli::Command command{
    "set",
    "set the text of one string",
    "Usage: quillmark set FILE.res LOCALE ID TEXT [-o OUT.res]\n"
    "Sets the text of string ID (0..65535) in locale LOCALE, adding the string if\n"
    "there is none, and saves FILE.res (or OUT.res). LOCALE is a locale ID in\n"
    "decimal (1033) or hexadecimal (0x409), or a locale tag (en-US).\n"
    "A TEXT that starts with \"-\" follows \"--\": set F.res 1033 1 -- -text.\n"
    "The format has no empty string: an empty TEXT means the string is not stored.\n"
    "Every other resource of the file is kept unchanged. The text set is marked\n"
    "translated in the review states (FILE.res.state); when it is a source text,\n"
    "the other languages' texts of that ID need review.\n",
    {},
    {QStringLiteral("-o")},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
