#pragma once

#include "checks/TranslationChecks.h"
#include "editor/WidthNotes.h"

#include <QHash>
#include <QString>
#include <QStringList>

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

    // Width and end punctuation (CellNotesScript.cpp): the width rule's factor and limits.
    WidthNotes &widths() { return m_widths; }
    bool widthsAgainstSource() const { return m_widths.againstSource(); }

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

    // The "Rule: what" lines of the rules that need the column's language and
    // font; none for the Windows pseudo-locales, whose texts are made to be long.
    QStringList scriptProblems(const win32::SftTreeSource &grid, int row, int column) const;
    static QString scriptRuleName(int rule);

    MaxLength m_maxLength;
    QHash<quint64, checks::Problem> m_consistency;  // by column and string ID
    WidthNotes m_widths;
    std::vector<qint32> m_columnLocales;  // by column; -1 for the ID
    qint32 m_sourceLocale = 0;
    int m_sourceColumn = -1;
};
