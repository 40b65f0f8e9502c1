#include "ChangeText.h"
#include "ReviewCommands.h"
#include "Console.h"
#include "MergeStates.h"
#include "ResVersion.h"

#include "platform/common/AtomicFile.h"

namespace {

constexpr int kMerged = 0;
constexpr int kConflicts = 1;
constexpr int kTrouble = 2;

int trouble(const qm::Error &error)
{
    cli::fail(error);
    return kTrouble;
}

} // namespace

namespace cli {

int runMerge(const Arguments &arguments)
{
    if (arguments.positional().size() != 3)
        return cli::usageError(QStringLiteral("merge needs three resource files, BASE, OURS and THEIRS (see quillmark merge --help)"));
    const QString &basePath = arguments.positional()[0];
    const QString &oursPath = arguments.positional()[1];
    const QString &theirsPath = arguments.positional()[2];
    const bool toOther = arguments.has(QStringLiteral("-o"));
    const QString outPath = toOther ? arguments.value(QStringLiteral("-o")) : oursPath;
    if (auto status = qm::AtomicFile::checkTarget(outPath); !status.ok())
        return trouble(status.error());
    if (cli::isStateMerge(oursPath, theirsPath))
        return cli::mergeStateFiles(basePath, oursPath, theirsPath, outPath, toOther);

    cli::ResVersion base;
    cli::ResVersion ours;
    cli::ResVersion theirs;
    if (auto status = cli::readVersion(basePath, base, true); !status.ok())
        return trouble(status.error());
    if (auto status = cli::readVersion(oursPath, ours); !status.ok())
        return trouble(status.error());
    if (auto status = cli::readVersion(theirsPath, theirs); !status.ok())
        return trouble(status.error());

    // The result is ours with theirs' changes: ours' file keeps its layout.
    const merge::MergeResult merged = merge::mergeVersions(base.version, ours.version, theirs.version);
    const std::vector<merge::CellChange> changes = merge::diffStrings(ours.version.strings, merged.strings());
    merge::applyChanges(ours.file.Strings(), changes);
    QList<resutil::ResResource> others = merged.otherResources();
    const bool othersChanged = !merge::diffResources(ours.version.others, others).empty();
    if (othersChanged)
        ours.file.setOtherResources(std::move(others));
    if (toOther || !changes.empty() || othersChanged) {
        ours.file.setFileName(outPath);
        if (auto status = ours.file.Save(0); !status.ok())
            return trouble(status.error());
    }

    for (const merge::CellConflict &conflict : merged.conflicts())
        cli::writeErr(QStringLiteral("quillmark: %1\n").arg(cli::describeConflict(conflict)));
    for (const merge::ResourceConflict &conflict : merged.resourceConflicts())
        cli::writeErr(QStringLiteral("quillmark: %1\n").arg(cli::describeConflict(conflict)));
    if (merged.clean())
        return kMerged;
    const std::size_t count = merged.conflicts().size() + merged.resourceConflicts().size();
    cli::fail(outPath, count == 1 ? QStringLiteral("1 conflict, ours kept")
                                  : QStringLiteral("%1 conflicts, ours kept in each").arg(QString::number(count)));
    return kConflicts;
}

} // namespace cli
