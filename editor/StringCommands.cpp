#include "editor/StringCommands.h"

#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <memory>
#include <utility>

namespace {
resutil::ResStrings &stringsOf(clsProject &project) { return project.ResourceFile()->Strings(); }

// Sets the cell's text, creating its entry (at the end) when it has none;
// without a text, removes the entry.
void putText(resutil::ResStrings &strings, qint32 localeId, qint32 id, const std::optional<QString> &text)
{
    resutil::ResString *entry = strings.Find(localeId, id);
    if (!text) {
        if (entry)
            qm::check(strings.Remove(entry));
        return;
    }
    if (entry)
        entry->setText(*text);
    else
        strings.Add(localeId, id, *text);
}
} // namespace

StringCommand::StringCommand(clsProject &project, StringView &view, int nameId, QString nameArgument)
    : m_project(project), m_view(view), m_nameId(nameId), m_nameArgument(std::move(nameArgument))
{
    Retranslate();
}

void StringCommand::Retranslate()
{
    setText(LgvStringModule::SubstituteParameters(LgvStringModule::lgv_string(m_nameId), m_nameArgument));
}

TextChangeCommand::TextChangeCommand(clsProject &project, StringView &view, int nameId, QString nameArgument,
                                     std::vector<TextChange> changes, QList<qint32> newRows)
    : StringCommand(project, view, nameId, std::move(nameArgument)), m_changes(std::move(changes)),
      m_newRows(std::move(newRows))
{
}

std::vector<std::pair<qint32, qint32>> TextChangeCommand::cells() const
{
    std::vector<std::pair<qint32, qint32>> keys;
    keys.reserve(m_changes.size());
    for (const TextChange &change : m_changes)
        keys.emplace_back(change.localeId, change.id);
    return keys;
}

void TextChangeCommand::redo()
{
    resutil::ResStrings &strings = stringsOf(m_project);
    for (const TextChange &change : m_changes)
        putText(strings, change.localeId, change.id, change.after);
    m_view.ShowTexts(m_project, cells(), {});
}

void TextChangeCommand::undo()
{
    // Backwards, so that entries added at the end go in the reverse order and
    // the collection is as it was.
    resutil::ResStrings &strings = stringsOf(m_project);
    for (auto change = m_changes.rbegin(); change != m_changes.rend(); ++change)
        putText(strings, change->localeId, change->id, change->before);
    m_view.ShowTexts(m_project, cells(), m_newRows);
}

RemoveEntriesCommand::RemoveEntriesCommand(clsProject &project, StringView &view, int nameId, QString nameArgument,
                                           Key key, qint32 value)
    : StringCommand(project, view, nameId, nameArgument), m_name(std::move(nameArgument)), m_key(key), m_value(value)
{
}

void RemoveEntriesCommand::redo()
{
    resutil::ResStrings &strings = stringsOf(m_project);
    m_removed.clear();
    std::vector<resutil::ResString *> doomed;
    std::size_t position = 0;
    for (resutil::ResString *entry : strings) {
        if ((m_key == ByStringId ? entry->ID() : entry->LocaleID()) == m_value) {
            m_removed.emplace_back(position, StringRecord{entry->LocaleID(), entry->ID(), entry->Text()});
            doomed.push_back(entry);
        }
        ++position;
    }
    for (resutil::ResString *entry : doomed)
        qm::check(strings.Remove(entry));
    m_changesFile = !m_removed.empty();
    if (m_key == ByStringId)
        m_view.ShowRow(m_project, m_value, false);
    else
        m_view.ShowLanguage(m_project, m_value, m_name, false);
}

void RemoveEntriesCommand::undo()
{
    ReinsertRecords(stringsOf(m_project), m_removed);
    if (m_key == ByStringId) {
        std::vector<std::pair<qint32, qint32>> cells;
        for (const auto &[position, record] : m_removed)
            cells.emplace_back(record.localeId, record.id);
        m_view.ShowRow(m_project, m_value, true);
        m_view.ShowTexts(m_project, cells, {});
    } else {
        m_view.ShowLanguage(m_project, m_value, m_name, true);
    }
    m_removed.clear();
}

ReplaceStringsCommand::ReplaceStringsCommand(clsProject &project, StringView &view, int nameId, QString nameArgument,
                                             StringSnapshot before)
    : StringCommand(project, view, nameId, std::move(nameArgument)), m_other(std::move(before))
{
}

void ReplaceStringsCommand::swap()
{
    resutil::ResStrings &strings = stringsOf(m_project);
    StringSnapshot current = TakeSnapshot(strings);
    RestoreSnapshot(strings, m_other);
    m_other = std::move(current);
    m_view.ShowAllStrings(m_project);
}

void ReplaceStringsCommand::redo()
{
    if (!std::exchange(m_done, false))
        swap();
}

void ReplaceStringsCommand::undo() { swap(); }

NewRowCommand::NewRowCommand(clsProject &project, StringView &view, int nameId, qint32 id)
    : StringCommand(project, view, nameId, QString::number(id)), m_id(id)
{
}

void NewRowCommand::redo() { m_view.ShowRow(m_project, m_id, true); }

void NewRowCommand::undo() { m_view.ShowRow(m_project, m_id, false); }

NewLanguageCommand::NewLanguageCommand(clsProject &project, StringView &view, int nameId, qint32 localeId,
                                       QString name)
    : StringCommand(project, view, nameId, name), m_localeId(localeId), m_name(std::move(name))
{
}

void NewLanguageCommand::redo() { m_view.ShowLanguage(m_project, m_localeId, m_name, true); }

void NewLanguageCommand::undo() { m_view.ShowLanguage(m_project, m_localeId, m_name, false); }
