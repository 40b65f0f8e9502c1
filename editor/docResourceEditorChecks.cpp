// The translation checks in the grid: the project's source language, and the
// note on each cell whose text breaks a rule against the source's text
// (CellNotes.h).
#include "editor/docResourceEditor.h"

#include "editor/SourceLanguageSetting.h"
#include "editor/clsProject.h"
#include "platform/win32/SftTree.h"
#include "reviewstate/ReviewStates.h"
#include "support/ErrorTrap.h"

#include <QAction>

QString docResourceEditor::CheckRuleName(int rule)
{
    return CellNotes::ruleName(rule);
}

void docResourceEditor::UpdateSourceLanguage()
{
    qint32 chosen = mCurrentProject ? mCurrentProject->SourceLanguageChoice() : 0;
    if (chosen == 0)
        chosen = GetStoredSourceLanguage(CurrentProjectFile());
    m_cellNotes.setLanguages(Languages(), chosen);
    UpdateWidthRule();
    // Translations need review against the language they are checked against.
    if (StringTableModel *table = Table(); table && table->reviewStates())
        table->reviewStates()->setSourceLanguage(m_cellNotes.sourceLocale());
    ScheduleConsistency();
    m_suggestedCell = {};
    ScheduleSuggestions();
}

bool docResourceEditor::CellHasProblem(int Row, int Column) const
{
    return m_cellNotes.cellHasProblem(m_sftTree->source(), Row, Column);
}

bool docResourceEditor::RowHasProblems(int Row) const
{
    return m_cellNotes.rowHasProblems(m_sftTree->source(), Row);
}

QString docResourceEditor::CellProblems(int Row, int Column) const
{
    return m_cellNotes.cellProblems(m_sftTree->source(), Row, Column);
}

void docResourceEditor::mnuUseAsSource_Click()
{
    qm::trap("mnuUseAsSource_Click", [&] {
        if (mMenuLanguage < 0 || mMenuLanguage > Languages().last())
            return;
        const qint32 localeId = Languages()[mMenuLanguage].LocaleID;
        // Kept with the project, and in the settings for its file once it has a name.
        if (mCurrentProject)
            mCurrentProject->setSourceLanguageChoice(localeId);
        StoreSourceLanguage(CurrentProjectFile(), localeId);
        UpdateSourceLanguage();
        m_sftTree->source().cellNotesChanged();
        CheckUses();
    });
}
