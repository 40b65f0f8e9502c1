#include "ChangeText.h"
#include "ReviewCommands.h"
#include "Console.h"
#include "ResVersion.h"

#include <utility>

namespace {

// As diff: 0 same, 1 different, 2 trouble.
constexpr int kSame = 0;
constexpr int kDifferent = 1;
constexpr int kTrouble = 2;

} // namespace

namespace cli {

int runDiff(const Arguments &arguments)
{
    if (arguments.positional().size() != 2)
        return cli::usageError(QStringLiteral("diff needs two resource files, A.res and B.res (see quillmark diff --help)"));
    cli::ResVersion a;
    cli::ResVersion b;
    for (auto [path, version] : {std::pair{arguments.positional()[0], &a}, std::pair{arguments.positional()[1], &b}})
        if (auto status = cli::readVersion(path, *version); !status.ok()) {
            cli::fail(status.error());
            return kTrouble;
        }
    const std::vector<merge::CellChange> strings = merge::diffStrings(a.version.strings, b.version.strings);
    const std::vector<merge::ResourceChange> resources = merge::diffResources(a.version.others, b.version.others);
    const std::string out = arguments.has(QStringLiteral("--json")) ? cli::diffJson(strings, resources)
                                                                     : cli::diffLines(strings, resources);
    if (!cli::writeOut(QByteArrayView(out.data(), qsizetype(out.size())))) {
        cli::fail(QStringLiteral("the differences could not be written to standard output"));
        return kTrouble;
    }
    return strings.empty() && resources.empty() ? kSame : kDifferent;
}

} // namespace cli
