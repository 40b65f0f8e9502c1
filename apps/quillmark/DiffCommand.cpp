#include "Command.h"
#include "Module.h"

namespace {

int run(const cli::Arguments &arguments)
{
    return cli::runInModule(cli::kReviewModule, "diff", arguments);
}

const cli::Command command{
    "diff",
    "list the strings and resources two resource files differ in",
    "Usage: quillmark diff A.res B.res [--json]\n"
    "Lists what B.res has added, removed or changed against A.res: every string,\n"
    "per locale and ID, sorted by locale, then ID, then the other resources (icons,\n"
    "version information, ...), which are compared whole, sorted by type, name\n"
    "and language.\n"
    "Without --json: one line per difference, with TEXT escaped as dump does:\n"
    "  string<TAB>added<TAB>LOCALE<TAB>ID<TAB>TEXT\n"
    "  string<TAB>removed<TAB>LOCALE<TAB>ID<TAB>TEXT\n"
    "  string<TAB>changed<TAB>LOCALE<TAB>ID<TAB>OLD<TAB>NEW\n"
    "  resource<TAB>added|removed|changed<TAB>TYPE<TAB>NAME<TAB>LANGUAGE\n"
    "  (TYPE and NAME are numbers when ordinal, quoted when named).\n"
    "With --json: {\"strings\": {\"added\": [[locale, id, \"text\"], ...], \"removed\": [...],\n"
    "  \"changed\": [[locale, id, \"old\", \"new\"], ...]}, \"resources\": {\"differ\": true,\n"
    "  \"added\": [{\"type\": 3, \"name\": 1, \"lang\": 1033}, ...], \"removed\": [...],\n"
    "  \"changed\": [...]}}.\n"
    "Exit status, as diff's: 0 when the files hold the same, 1 when they differ,\n"
    "2 when a file cannot be read or the command line is wrong.\n",
    {QStringLiteral("--json")},
    {},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
