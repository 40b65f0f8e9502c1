#include "MergeStates.h"
#include "ChangeText.h"
#include "Console.h"

#include "platform/common/AtomicFile.h"
#include "platform/common/InputFile.h"
#include "reviewstate/StateFileFormat.h"
#include "reviewstate/StateFileMerge.h"

#include <QDir>
#include <QFile>

namespace cli {

namespace {

constexpr qint64 kMaxStateFileBytes = qint64(1) << 30;

qm::Result<QByteArray> readWhole(const QString &path)
{
    QFile file;
    auto opened = qm::openInputFile(file, path, kMaxStateFileBytes, QStringLiteral("review state files"));
    if (!opened)
        return qm::makeError(QStringLiteral("%1: cannot be read: %2").arg(QDir::toNativeSeparators(path), opened.errorString()));
    auto bytes = qm::readInputFile(file, opened.value(), kMaxStateFileBytes);
    if (!bytes)
        return qm::makeError(QStringLiteral("%1: cannot be read: %2").arg(QDir::toNativeSeparators(path), bytes.errorString()));
    return bytes.value();
}

// An empty BASE: git's, when both sides added the file.
qm::Result<reviewstate::StateTable> readTable(const QString &path, bool emptyAllowed)
{
    auto bytes = readWhole(path);
    if (!bytes)
        return bytes.error();
    if (emptyAllowed && bytes.value().isEmpty())
        return reviewstate::StateTable();
    return reviewstate::parseStateFile(bytes.value(), path);
}

bool startsAsStateFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && reviewstate::looksLikeStateFile(file.read(64));
}

} // namespace

bool isStateMerge(const QString &oursPath, const QString &theirsPath)
{
    return startsAsStateFile(oursPath) || startsAsStateFile(theirsPath);
}

int mergeStateFiles(const QString &basePath, const QString &oursPath, const QString &theirsPath,
                    const QString &outPath, bool toOther)
{
    constexpr int kConflicts = 1, kTrouble = 2;
    auto base = readTable(basePath, true);
    if (!base)
        return fail(base.error()), kTrouble;
    auto oursBytes = readWhole(oursPath);
    if (!oursBytes)
        return fail(oursBytes.error()), kTrouble;
    auto ours = reviewstate::parseStateFile(oursBytes.value(), oursPath);
    if (!ours)
        return fail(ours.error()), kTrouble;
    auto theirs = readTable(theirsPath, false);
    if (!theirs)
        return fail(theirs.error()), kTrouble;

    const reviewstate::StateMerge merged = reviewstate::mergeStateTables(base.value(), ours.value(), theirs.value());
    const QByteArray bytes = reviewstate::writeStateFile(merged.table);
    if (toOther || bytes != oursBytes.value()) {
        qm::AtomicFile file(outPath);
        qm::Status status = file.open();
        if (status.ok())
            status = file.write(bytes);
        if (status.ok())
            status = file.commit();
        if (!status.ok())
            return fail(status.error()), kTrouble;
    }
    for (const reviewstate::StateConflict &conflict : merged.conflicts)
        writeErr(QStringLiteral("quillmark: %1\n").arg(describeConflict(conflict)));
    if (merged.conflicts.empty())
        return 0;
    const std::size_t count = merged.conflicts.size();
    fail(outPath, count == 1 ? QStringLiteral("1 conflict, ours kept")
                             : QStringLiteral("%1 conflicts, ours kept in each").arg(QString::number(count)));
    return kConflicts;
}

} // namespace cli
