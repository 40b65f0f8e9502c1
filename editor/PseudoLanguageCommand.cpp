#include "editor/PseudoLanguageCommand.h"

#include "editor/StringTableModel.h"

PseudoLanguageCommand::PseudoLanguageCommand(clsProject &project, int nameId, qint32 localeId, QString name,
                                             std::vector<Change> changes)
    : StringCommand(project, nameId, name), m_localeId(localeId), m_name(std::move(name)), m_changes(std::move(changes))
{
}

void PseudoLanguageCommand::redo()
{
    StringTableModel &strings = table();
    m_addedColumn = !strings.languages().contains(m_localeId);
    if (m_addedColumn)
        strings.insertLanguage(m_localeId, m_name);
    for (const Change &change : m_changes)
        strings.setText(m_localeId, change.id, change.after);
}

void PseudoLanguageCommand::undo()
{
    StringTableModel &strings = table();
    for (auto change = m_changes.rbegin(); change != m_changes.rend(); ++change)
        strings.setText(m_localeId, change->id, change->before);
    if (m_addedColumn)
        (void)strings.removeLanguage(m_localeId);
}
