#pragma once

#include <QString>

namespace cli {

// Whether OURS or THEIRS of a merge is a review state file (git names its
// temporary files without the .state ending, so the content tells).
bool isStateMerge(const QString &oursPath, const QString &theirsPath);

// "merge" for review state files: BASE, OURS and THEIRS merged line by line
// into outPath (written when it differs from OURS, or always when toOther).
// Returns merge's exit status: 0 merged, 1 conflicts (ours kept), 2 trouble.
int mergeStateFiles(const QString &basePath, const QString &oursPath, const QString &theirsPath,
                    const QString &outPath, bool toOther);

} // namespace cli
