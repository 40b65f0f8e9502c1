#include "Command.h"
#include "Module.h"

namespace {

int run(const cli::Arguments &arguments)
{
    return cli::runInModule(cli::kReviewModule, "refs", arguments);
}

const cli::Command command{
    "refs",
    "list where the project's code reads its resources, and how often each string is used",
    "Usage: quillmark refs PROJECT.vbp [--json]\n"
    "Reads the code of every form, module, class, user control, property page,\n"
    "user document and designer the project lists, finds its LoadResString,\n"
    "LoadResData and LoadResPicture calls and resolves their IDs: numbers (101,\n"
    "&H65), constants (Public Const IDS_TITLE As Long = 116, in the member or a\n"
    "module), Enum members, and sums of these (IDS_BASE + 3). Lines count from 1\n"
    "in the member's file; files are named relative to the project's folder.\n"
    "Without --json, one line per item, its kind first:\n"
    "  use<TAB>ID<TAB>CALL<TAB>FILE<TAB>LINE<TAB>EXPRESSION\n"
    "  unresolved<TAB>CALL<TAB>FILE<TAB>LINE<TAB>EXPRESSION<TAB>REASON   (a variable,\n"
    "             a function: the call counts as a use of no ID)\n"
    "  count<TAB>ID<TAB>USES     for every string ID of the project's resource file\n"
    "  warning<TAB>TEXT          a member that was not read\n"
    "With --json: {\"uses\": [{\"id\": 116, \"call\": \"LoadResString\", \"file\":\n"
    "  \"frmMain.frm\", \"line\": 40, \"expression\": \"IDS_TITLE\"}, ...], \"unresolved\":\n"
    "  [{\"call\", \"file\", \"line\", \"expression\", \"reason\"}, ...], \"counts\": {\"101\":\n"
    "  2, ...} (null without a resource file), \"warnings\": [...]}.\n"
    "A resource named by a string (LoadResData(\"LOGO\", \"PNG\")) has its name as ID.\n"
    "See quillmark check --project for the IDs the file lacks.\n",
    {QStringLiteral("--json")},
    {},
    run,
};
const cli::RegisterCommand registered{command};

} // namespace
