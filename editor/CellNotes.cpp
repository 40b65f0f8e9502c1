#include "editor/CellNotes.h"

#include "checks/ConsistencyChecks.h"
#include "checks/StringTableChecks.h"
#include "checks/TranslationChecks.h"
#include "editor/LanguageTable.h"
#include "platform/win32/SftTreeSource.h"
#include "reviewstate/StateChecks.h"
#include "uistrings/LgvStringModule.h"

#include <QStringList>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kRuleNames = 720;  // 720 to 724, in the order of checks::Rule
constexpr int kPlaceholderMissing = 725;
constexpr int kPlaceholderAdded = 726;
constexpr int kPlaceholderOrder = 727;
constexpr int kLineBreakCount = 728;
constexpr int kLeadingSpaces = 729;
constexpr int kTrailingSpaces = 730;
constexpr int kAccessKeyMissing = 731;
constexpr int kAccessKeyAdded = 732;
constexpr int kNoTranslation = 733;
constexpr int kTooLong = 1016;       // "Too long"
constexpr int kTooLongBy = 1017;     // "%0 characters, at most %1"
constexpr int kInconsistentRule = 1200;
constexpr int kTranslatedOtherwise = 1201;  // "... translated otherwise in string %0"
constexpr int kSharedTranslation = 1202;    // "String %0 has this translation for another source text"

quint64 consistencyKey(int column, qint32 id) { return (quint64(quint32(column)) << 32) | quint32(id); }
} // namespace

void CellNotes::setLanguages(const LanguageTable &languages, qint32 chosen)
{
    m_sourceLocale = checks::sourceLanguage(languages.locales(), chosen);
    m_sourceColumn = languages.columnOf(m_sourceLocale);
    m_columnLocales.assign(1, -1);
    for (int column = 1; column <= languages.count(); ++column)
        m_columnLocales.push_back(languages.localeOf(column));
}

bool CellNotes::checked(const win32::SftTreeSource &grid, int row, int column) const
{
    return m_sourceColumn >= 1 && column >= 1 && column != m_sourceColumn && grid.hasItemData(row);
}

int CellNotes::exceededLimit(const win32::SftTreeSource &grid, int row, int column) const
{
    const int limit = m_maxLength ? m_maxLength(grid.itemData(row)) : 0;
    if (limit <= 0)
        return 0;
    QString scratch;
    return reviewstate::characterCount(grid.cellTextView(row, column, scratch)) > limit ? limit : 0;
}

bool CellNotes::cellHasProblem(const win32::SftTreeSource &grid, int row, int column) const
{
    if (!checked(grid, row, column))
        return false;
    return checks::hasProblem(grid.cellText(row, m_sourceColumn), grid.cellText(row, column)) ||
           exceededLimit(grid, row, column) > 0 || consistencyProblem(grid, row, column) ||
           !scriptProblems(grid, row, column).isEmpty();
}

bool CellNotes::rowHasProblems(const win32::SftTreeSource &grid, int row) const
{
    for (int column = 1; column < grid.columnCount(); ++column) {
        if (cellHasProblem(grid, row, column))
            return true;
    }
    return false;
}

QString CellNotes::cellProblems(const win32::SftTreeSource &grid, int row, int column) const
{
    if (!cellHasProblem(grid, row, column))
        return {};
    QStringList lines;
    for (const checks::Problem &problem :
         checks::checkTranslation(grid.cellText(row, m_sourceColumn), grid.cellText(row, column)))
        lines << ruleName(int(problem.rule)) + QStringLiteral(": ") + problemText(problem);
    if (const int limit = exceededLimit(grid, row, column); limit > 0) {
        const QString text = grid.cellText(row, column);
        lines << lgv_string(kTooLong) + QStringLiteral(": ") +
                     SubstituteParameters(lgv_string(kTooLongBy), QString::number(reviewstate::characterCount(text)),
                                          QString::number(limit));
    }
    if (const checks::Problem *problem = consistencyProblem(grid, row, column))
        lines << ruleName(int(problem->rule)) + QStringLiteral(": ") + problemText(*problem);
    lines << scriptProblems(grid, row, column);
    return lines.join(QLatin1Char('\n'));
}

QString CellNotes::ruleName(int rule)
{
    // 720 to 724 name the rules before it; the next numbers were taken.
    if (rule == int(checks::Rule::Inconsistent))
        return lgv_string(kInconsistentRule);
    if (rule >= int(checks::Rule::Punctuation))
        return scriptRuleName(rule);
    return lgv_string(kRuleNames + rule);
}

void CellNotes::setConsistency(const std::vector<checks::StringProblem> &problems, const LanguageTable &languages)
{
    m_consistency.clear();
    for (const checks::StringProblem &found : problems) {
        const int column = languages.columnOf(found.localeId);
        if (column > 0)
            m_consistency.insert(consistencyKey(column, found.id), found.problem);
    }
}

const checks::Problem *CellNotes::consistencyProblem(const win32::SftTreeSource &grid, int row, int column) const
{
    if (m_consistency.isEmpty() || !grid.hasItemData(row))
        return nullptr;
    const auto found = m_consistency.constFind(consistencyKey(column, grid.itemData(row)));
    return found == m_consistency.cend() ? nullptr : &*found;
}

QString CellNotes::problemText(const checks::Problem &problem)
{
    using checks::Finding;
    switch (problem.rule) {
    case checks::Rule::Placeholders:
        if (problem.finding == Finding::Order)
            return SubstituteParameters(lgv_string(kPlaceholderOrder), problem.token);
        return SubstituteParameters(lgv_string(problem.finding == Finding::Missing ? kPlaceholderMissing : kPlaceholderAdded),
                                    problem.token);
    case checks::Rule::LineBreaks:
        return SubstituteParameters(lgv_string(kLineBreakCount), problem.count, problem.sourceCount);
    case checks::Rule::Spaces:
        return lgv_string(problem.finding == Finding::Leading ? kLeadingSpaces : kTrailingSpaces);
    case checks::Rule::AccessKey:
        return SubstituteParameters(lgv_string(problem.finding == Finding::Missing ? kAccessKeyMissing : kAccessKeyAdded),
                                    problem.token);
    case checks::Rule::Empty:
        return lgv_string(kNoTranslation);
    case checks::Rule::Inconsistent:
        return SubstituteParameters(lgv_string(problem.finding == Finding::Shared ? kSharedTranslation : kTranslatedOtherwise),
                                    problem.token);
    default:
        break;
    }
    return {};
}
