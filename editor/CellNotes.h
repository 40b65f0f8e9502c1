#pragma once

#include "checks/TranslationChecks.h"

#include <QHash>
#include <QString>

#include <functional>
#include <vector>

class LanguageTable;

namespace checks {
struct StringProblem;
}
namespace win32 {
class SftTreeSource;
}

// The notes a translation cell gets from the checks: which language the
// translations are checked against, whether a cell breaks a rule against the
// source language's cell of its row, and what it breaks, one "Rule: what"
// line per problem in the UI language.
class CellNotes {
public:
    // The grid's languages and the one the user chose, 0 for none; the source
    // is the chosen one when the grid has it, else the checks' own pick.
    void setLanguages(const LanguageTable &languages, qint32 chosen);
    qint32 sourceLocale() const { return m_sourceLocale; }  // 0: none
    int sourceColumn() const { return m_sourceColumn; }     // -1: none

    // A string's maximum length in characters, 0 for none: a longer
    // translation is a problem too.
    using MaxLength = std::function<int(qint32 id)>;
    void setMaxLength(MaxLength maxLength) { m_maxLength = std::move(maxLength); }

    bool cellHasProblem(const win32::SftTreeSource &grid, int row, int column) const;
    bool rowHasProblems(const win32::SftTreeSource &grid, int row) const;
    QString cellProblems(const win32::SftTreeSource &grid, int row, int column) const;

    static QString ruleName(int rule);
    static QString problemText(const checks::Problem &problem);

    // Consistency across the file's strings: found over whole columns, so
    // set once per change of the texts, not found again per cell.
    void setConsistency(const std::vector<checks::StringProblem> &problems, const LanguageTable &languages);
    const checks::Problem *consistencyProblem(const win32::SftTreeSource &grid, int row, int column) const;
    bool hasConsistencyProblems() const { return !m_consistency.isEmpty(); }

private:
    bool checked(const win32::SftTreeSource &grid, int row, int column) const;
    // The string's maximum length when the cell's text is longer, else 0.
    int exceededLimit(const win32::SftTreeSource &grid, int row, int column) const;

    MaxLength m_maxLength;
    QHash<quint64, checks::Problem> m_consistency;  // by column and string ID
    qint32 m_sourceLocale = 0;
    int m_sourceColumn = -1;
};
