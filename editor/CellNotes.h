#pragma once

#include <QString>

class LanguageTable;

namespace checks {
struct Problem;
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

    bool cellHasProblem(const win32::SftTreeSource &grid, int row, int column) const;
    bool rowHasProblems(const win32::SftTreeSource &grid, int row) const;
    QString cellProblems(const win32::SftTreeSource &grid, int row, int column) const;

    static QString ruleName(int rule);
    static QString problemText(const checks::Problem &problem);

private:
    qint32 m_sourceLocale = 0;
    int m_sourceColumn = -1;
};
