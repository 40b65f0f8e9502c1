#pragma once

// What the grid tells of the code's uses of the strings: how often and where
// the project's code reads each string ID, and the reference rules on the ID
// cells (missing-id; unused when switched on), in the UI language.

#include "checks/ReferenceChecks.h"
#include "coderefs/CodeReferences.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace resutil {
class ResFile;
}

class UseNotes {
public:
    // The code's uses after a reading; nullptr while none has ended.
    void setReferences(std::shared_ptr<const coderefs::CodeReferences> references);
    bool known() const { return m_references != nullptr; }
    const coderefs::CodeReferences &references() const;

    void setCheckUnused(bool on) { m_checkUnused = on; }
    bool checkUnused() const { return m_checkUnused; }

    // The rules again over the file, against its source language (0: none) called sourceName.
    void check(const resutil::ResFile &file, qint32 sourceLocale, const QString &sourceName);
    void clearProblems();

    int useCount(qint32 id) const;
    // "Used in 2 places: frmMain.frm line 12, modMain.bas line 3"; empty while the uses are not known.
    QString usesText(qint32 id) const;
    // One "Rule: what" line per reference problem of the string ID.
    QString problemsText(qint32 id) const;
    bool hasProblem(qint32 id) const { return m_problems.contains(id); }
    // The string IDs the code uses that no language of the file has, ascending.
    std::vector<qint32> missingIds() const;
    // Every missing-id problem (strings and the other resources) and every unused one.
    int missingCount() const { return m_missing; }
    int unusedCount() const { return m_unused; }
    // The status line's summary for the project.
    QString statusText(const QString &projectName) const;

    // "frmMain.frm line 12".
    static QString placeText(const coderefs::CodeReferences &references, const coderefs::ResourceUse &use);

private:
    QString problemText(const checks::ReferenceProblem &problem) const;

    std::shared_ptr<const coderefs::CodeReferences> m_references;
    bool m_checkUnused = false;
    QString m_sourceName;
    QHash<qint32, checks::ReferenceProblem> m_problems;  // string problems by ID
    int m_missing = 0;
    int m_unused = 0;
};
