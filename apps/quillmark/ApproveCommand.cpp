#include "Command.h"
#include "Console.h"

#include "platform/resutil/ResFile.h"
#include "reviewstate/ReviewStates.h"

#include <optional>

namespace {

int run(const cli::Arguments &arguments)
{
    if (arguments.positional().size() != 1)
        return cli::usageError(QStringLiteral("approve needs exactly one FILE.res (see quillmark approve --help)"));
    if (!arguments.has(QStringLiteral("--lang")))
        return cli::usageError(QStringLiteral("approve needs --lang LOCALE (see quillmark approve --help)"));
    const QString path = arguments.positional().first();
    const auto locale = cli::parseLocale(arguments.value(QStringLiteral("--lang")));
    if (!locale)
        return cli::usageError(cli::badLocale(QStringLiteral("--lang"), arguments.value(QStringLiteral("--lang"))));
    std::optional<qint32> id;
    if (arguments.has(QStringLiteral("--id"))) {
        id = cli::parseNumber(arguments.value(QStringLiteral("--id")));
        if (!id || *id < 0 || *id > 0xFFFF)
            return cli::usageError(
                QStringLiteral("--id \"%1\" is not a string ID (0 to 65535)").arg(arguments.value(QStringLiteral("--id"))));
    }

    return cli::editResFile(path, arguments, [&](resutil::ResFile &file) {
        reviewstate::ReviewStates *states = reviewstate::ReviewStates::of(file);
        if (!states->readable())
            return cli::fail(path, QStringLiteral("nothing is approved: %1").arg(states->problem()));
        if (!file.Languages().contains(*locale))
            return cli::fail(path, QStringLiteral("--lang %1: the file has no strings in that language").arg(*locale));
        if (id) {
            if (auto approved = states->approve(*locale, *id); !approved)
                return cli::fail(path, approved.errorString());
            return 0;
        }
        QList<qint32> ids;
        file.Strings().Peek([&](const resutil::ResStrings::Peeked &entry) {
            if (entry.localeId == *locale && !entry.text.isEmpty())
                ids.append(entry.id);
        });
        for (const qint32 each : ids)
            if (auto approved = states->approve(*locale, each); !approved)
                return cli::fail(path, approved.errorString());
        return 0;
    });
}

const cli::Command command{
    "approve",
    "mark translations approved in the review states",
    "Usage: quillmark approve FILE.res --lang LOCALE [--id ID] [-o OUT.res]\n"
    "Marks every text of locale LOCALE (or only that of string ID) approved in the\n"
    "review states kept beside the file (FILE.res.state, or OUT.res.state), made\n"
    "from the source text as it is now; a translation that needed review no longer\n"
    "does. The resource file is saved with them (to OUT.res with -o).\n"
    "Fails when the language, or the ID in it, has no text, and when the state file\n"
    "cannot be read (it is then left as it is).\n",
    {},
    {QStringLiteral("--lang"), QStringLiteral("--id"), QStringLiteral("-o")},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
