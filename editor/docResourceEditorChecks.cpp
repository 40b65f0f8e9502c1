// The translation checks in the grid: the project's source language, and the
// note on each cell whose text breaks a rule against the source's text.
#include "editor/docResourceEditor.h"

#include "checks/StringTableChecks.h"
#include "checks/TranslationChecks.h"
#include "editor/SourceLanguageSetting.h"
#include "editor/clsProject.h"
#include "platform/win32/SftTree.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>

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

QString problemText(const checks::Problem &problem)
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
    }
    return {};
}
} // namespace

QString docResourceEditor::CheckRuleName(int rule)
{
    return lgv_string(kRuleNames + rule);
}

void docResourceEditor::UpdateSourceLanguage()
{
    const QList<qint32> languages = mLanguages.locales();
    qint32 chosen = mCurrentProject ? mCurrentProject->SourceLanguageChoice() : 0;
    if (chosen == 0)
        chosen = GetStoredSourceLanguage(CurrentProjectFile());
    mSourceLocale = checks::sourceLanguage(languages, chosen);
    mSourceColumn = mLanguages.columnOf(mSourceLocale);
}

bool docResourceEditor::CellHasProblem(int Row, int Column) const
{
    if (mSourceColumn < 1 || Column < 1 || Column == mSourceColumn || !m_sftTree->grid().hasItemData(Row))
        return false;
    return checks::hasProblem(m_sftTree->cellText(Row, mSourceColumn), m_sftTree->cellText(Row, Column));
}

bool docResourceEditor::RowHasProblems(int Row) const
{
    for (int column = 1; column < m_sftTree->columnCount(); ++column)
        if (CellHasProblem(Row, column))
            return true;
    return false;
}

QString docResourceEditor::CellProblems(int Row, int Column) const
{
    if (!CellHasProblem(Row, Column))
        return {};
    QStringList lines;
    for (const checks::Problem &problem :
         checks::checkTranslation(m_sftTree->cellText(Row, mSourceColumn), m_sftTree->cellText(Row, Column)))
        lines << CheckRuleName(int(problem.rule)) + QStringLiteral(": ") + problemText(problem);
    return lines.join(QLatin1Char('\n'));
}

void docResourceEditor::mnuUseAsSource_Click()
{
    qm::trap("mnuUseAsSource_Click", [&] {
        if (mMenuLanguage < 0 || mMenuLanguage > mLanguages.last())
            return;
        const qint32 localeId = mLanguages[mMenuLanguage].LocaleID;
        // Kept with the project, and in the settings for its file once it has a name.
        if (mCurrentProject)
            mCurrentProject->setSourceLanguageChoice(localeId);
        StoreSourceLanguage(CurrentProjectFile(), localeId);
        UpdateSourceLanguage();
        m_sftTree->grid().cellNotesChanged();
    });
}
