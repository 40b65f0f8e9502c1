// The rules of the grid's notes that know the column's language and font:
// end punctuation as the target's script writes it, and the drawn width.
#include "editor/CellNotes.h"

#include "checks/EndPunctuation.h"
#include "platform/win32/SftTreeSource.h"
#include "pseudo/PseudoLocale.h"
#include "uistrings/LgvStringModule.h"

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kPunctuationRule = 1300;  // "Punctuation"
constexpr int kWidthRule = 1301;        // "Width"
constexpr int kSpellingRule = 1302;     // "Spelling"
constexpr int kNoEndPunctuation = 1303; // "Ends in no punctuation, the source ends in "%0""
constexpr int kAddedPunctuation = 1304; // "Ends in "%0", the source in no punctuation"
constexpr int kUnpaired = 1305;         // "No opening %0 for the closing %1"

QString punctuationText(const checks::Problem &problem)
{
    switch (problem.finding) {
    case checks::Finding::Missing:
        return SubstituteParameters(lgv_string(kNoEndPunctuation), problem.token);
    case checks::Finding::Added:
        return SubstituteParameters(lgv_string(kAddedPunctuation), problem.token);
    default:
        return SubstituteParameters(lgv_string(kUnpaired), problem.token,
                                    problem.token == QStringLiteral("¿") ? QStringLiteral("?") : QStringLiteral("!"));
    }
}
} // namespace

QString CellNotes::scriptRuleName(int rule)
{
    switch (checks::Rule(rule)) {
    case checks::Rule::Punctuation:
        return lgv_string(kPunctuationRule);
    case checks::Rule::Width:
        return lgv_string(kWidthRule);
    case checks::Rule::Spelling:
        return lgv_string(kSpellingRule);
    default:
        return {};
    }
}

QStringList CellNotes::scriptProblems(const win32::SftTreeSource &grid, int row, int column) const
{
    QStringList lines;
    if (column < 1 || column >= int(m_columnLocales.size()))
        return lines;
    const qint32 locale = m_columnLocales[column];
    if (locale < 0 || pseudo::isPseudoLocale(locale))
        return lines;
    QString scratch;
    QString sourceScratch;
    const QStringView text = grid.cellTextView(row, column, scratch);
    const QStringView source = grid.cellTextView(row, m_sourceColumn, sourceScratch);
    if (text.isEmpty() || source.isEmpty())
        return lines;
    if (const std::optional<checks::Problem> problem = checks::checkPunctuation(source, m_sourceLocale, text, locale))
        lines << scriptRuleName(int(checks::Rule::Punctuation)) + QStringLiteral(": ") + punctuationText(*problem);
    for (const QString &wider : m_widths.problems(grid, row, column, m_sourceColumn))
        lines << scriptRuleName(int(checks::Rule::Width)) + QStringLiteral(": ") + wider;
    return lines;
}
