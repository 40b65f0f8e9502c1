#include "editor/StringCommands.h"

#include "editor/StringTableModel.h"
#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <utility>

StringCommand::StringCommand(clsProject &project, int nameId, QString nameArgument)
    : m_project(project), m_nameId(nameId), m_nameArgument(std::move(nameArgument))
{
    Retranslate();
}

void StringCommand::Retranslate()
{
    setText(LgvStringModule::SubstituteParameters(LgvStringModule::lgv_string(m_nameId), m_nameArgument));
}

StringTableModel &StringCommand::table() const
{
    // A project read again has a new table, and an empty stack with it.
    if (!m_project.Table())
        qm::raise(QStringLiteral("The project has no resource file to change."));
    return *m_project.Table();
}

TextChangeCommand::TextChangeCommand(clsProject &project, int nameId, QString nameArgument,
                                     std::vector<TextChange> changes, QList<qint32> newRows)
    : StringCommand(project, nameId, std::move(nameArgument)), m_changes(std::move(changes)),
      m_newRows(std::move(newRows))
{
}

void TextChangeCommand::redo()
{
    StringTableModel &strings = table();
    for (const TextChange &change : m_changes)
        strings.setText(change.localeId, change.id, change.after);
}

void TextChangeCommand::undo()
{
    // Backwards, so that entries added at the end go in the reverse order and
    // the collection is as it was.
    StringTableModel &strings = table();
    for (auto change = m_changes.rbegin(); change != m_changes.rend(); ++change)
        strings.setText(change->localeId, change->id, change->before);
    for (qint32 id : m_newRows) {
        if (!strings.rowHasTexts(id))
            strings.removeRow(id);
    }
}

RemoveEntriesCommand::RemoveEntriesCommand(clsProject &project, int nameId, QString nameArgument, Key key,
                                           qint32 value)
    : StringCommand(project, nameId, std::move(nameArgument)), m_key(key), m_value(value)
{
}

void RemoveEntriesCommand::redo()
{
    if (m_key == ByStringId) {
        m_removed = table().removeRow(m_value);
    } else {
        StringTableModel::RemovedLanguage removed = table().removeLanguage(m_value);
        m_removed = std::move(removed.records);
        m_languageIndex = removed.index;
        m_languageName = removed.name;
    }
    m_changesFile = !m_removed.empty();
}

void RemoveEntriesCommand::undo()
{
    if (m_key == ByStringId)
        table().restoreRow(m_value, m_removed);
    else if (m_languageIndex >= 0)  // a language the table did not show was never removed
        table().restoreLanguage({m_value, m_languageName, m_languageIndex, m_removed});
    m_removed.clear();
}

ReplaceStringsCommand::ReplaceStringsCommand(clsProject &project, int nameId, QString nameArgument,
                                             StringSnapshot before)
    : StringCommand(project, nameId, std::move(nameArgument)), m_other(std::move(before))
{
}

void ReplaceStringsCommand::swap()
{
    StringTableModel &strings = table();
    StringSnapshot current = TakeSnapshot(strings.strings());
    strings.replaceStrings(m_other);
    m_other = std::move(current);
}

void ReplaceStringsCommand::redo()
{
    if (std::exchange(m_done, false))
        table().stringsReplaced();
    else
        swap();
}

void ReplaceStringsCommand::undo() { swap(); }

NewRowCommand::NewRowCommand(clsProject &project, int nameId, qint32 id)
    : StringCommand(project, nameId, QString::number(id)), m_id(id)
{
}

void NewRowCommand::redo() { table().insertRow(m_id); }

void NewRowCommand::undo()
{
    if (!table().rowHasTexts(m_id))
        table().removeRow(m_id);
}

NewLanguageCommand::NewLanguageCommand(clsProject &project, int nameId, qint32 localeId, QString name)
    : StringCommand(project, nameId, name), m_localeId(localeId), m_name(std::move(name))
{
}

void NewLanguageCommand::redo() { table().insertLanguage(m_localeId, m_name); }

void NewLanguageCommand::undo()
{
    // Texts typed into the column since were undone before this step.
    table().removeLanguage(m_localeId);
}
