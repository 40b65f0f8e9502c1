#pragma once

// Rules over the resource file and the code that reads it: an ID the code asks
// for that the file lacks (Visual Basic's run-time error 326), and a string no
// code uses.

#include "coderefs/CodeReferences.h"

#include <QList>
#include <QString>

#include <vector>

namespace resutil {
class ResStrings;
struct ResResource;
}

namespace checks {

enum class ReferenceRule : quint8 {
    MissingId, // used by the code, in no language of the file or not in the source language
    Unused,    // a string ID no LoadResString of the project uses
};

struct ReferenceProblem {
    ReferenceRule rule;
    coderefs::ResCall call = coderefs::ResCall::String;
    qint32 id = -1;         // -1: a resource named by a string
    QString name;           // that name
    qint32 localeId = 0;    // MissingId: the source language when only it lacks the string; else 0
    QList<qsizetype> uses;  // MissingId: the uses that ask for it, indices into CodeReferences::uses
};

// "missing-id", "unused".
const char *referenceRuleKey(ReferenceRule rule);
// "used in frmMain.frm line 12 and 2 more places, but in no language of the file".
QString describe(const ReferenceProblem &problem, const coderefs::CodeReferences &references);

// MissingId for every string ID the code uses that no language has, or that
// the source language lacks; for every LoadResData/LoadResPicture resource
// the file lacks. With `unused`, Unused for every string ID of the file no
// code uses (off by default: a program may compute its IDs). Sorted by ID,
// resources named by strings last.
std::vector<ReferenceProblem> checkReferences(const resutil::ResStrings &strings,
                                              const QList<resutil::ResResource> &otherResources, qint32 sourceLocale,
                                              const coderefs::CodeReferences &references, bool unused);

} // namespace checks
