#include "editor/EditorCommands.h"

#include "editor/CommandTip.h"
#include "editor/ToolbarIcons.h"
#include "platform/vbide/CommandBarControl.h"
#include "platform/vbide/CommandBarControls.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

using LgvStringModule::lgv_string;

bool commandEnabled(CommandNeeds needs, const ProjectState &state)
{
    switch (needs) {
    case CommandNeeds::Project:
        return state.selected;
    case CommandNeeds::ProjectWithoutFile:
        return state.selected && !state.hasFile;
    case CommandNeeds::ReadableFile:
        return state.selected && state.hasFile && state.readable;
    case CommandNeeds::Nothing:
    case CommandNeeds::Editor:
        break;
    }
    return true;
}

QList<QKeySequence> EditorCommand::shortcuts() const
{
    QList<QKeySequence> list;
    if (standardKey != QKeySequence::UnknownKey)
        list = QKeySequence::keyBindings(standardKey);
    if (keys)
        list += QKeySequence::listFromString(QString::fromLatin1(keys), QKeySequence::PortableText);
    return list;
}

EditorCommands::EditorCommands(std::span<const EditorCommand> table, QWidget &editor, QWidget &grid,
                               Dispatch dispatch)
    : m_table(table), m_actions(table.size(), nullptr), m_gridKeys(table.size(), nullptr)
{
    for (std::size_t index = 0; index < m_table.size(); ++index) {
        const EditorCommand &command = m_table[index];
        QWidget &owner = command.onGrid ? grid : editor;
        auto *action = new QAction(&owner);
        m_actions[index] = action;
        action->setObjectName(QString::fromLatin1(command.key));
        action->setData(QString::fromLatin1(command.key));
        if (command.image)
            action->setIcon(ToolbarIcon(QString::fromLatin1(command.image)));
        action->setCheckable(command.checkable);
        action->setShortcuts(command.shortcuts());
        action->setShortcutContext(command.context);
        setTexts(command, QString::fromUtf8(command.tip ? command.tip : ""), QString::fromUtf8(command.text));
        if (command.run) {
            QObject::connect(action, &QAction::triggered, &owner,
                             [dispatch, &command, action] { dispatch(command, action); });
        }
        if (!action->shortcuts().isEmpty())
            owner.addAction(action);  // so that its keys act there

        if (command.gridKey) {
            // A key of the grid itself: in the cell editor inside it, the key edits the text.
            auto *key = new QAction(&grid);
            key->setObjectName(QStringLiteral("gridKey_") + QString::fromLatin1(command.key));
            key->setShortcut(QKeySequence(command.gridKey));
            key->setShortcutContext(Qt::WidgetShortcut);
            QObject::connect(key, &QAction::triggered, action, [action] {
                if (action->isEnabled())
                    action->trigger();
            });
            grid.addAction(key);
            m_gridKeys[index] = key;
        }
    }
}

int EditorCommands::indexOf(EditorCommand::Id id) const
{
    if (id == EditorCommand::Unnamed)
        return -1;
    for (std::size_t index = 0; index < m_table.size(); ++index) {
        if (m_table[index].id == id)
            return static_cast<int>(index);
    }
    return -1;
}

QAction *EditorCommands::action(EditorCommand::Id id) const
{
    const int index = indexOf(id);
    return index >= 0 ? m_actions[static_cast<std::size_t>(index)] : nullptr;
}

QAction *EditorCommands::action(const EditorCommand &command) const
{
    const auto index = static_cast<std::size_t>(&command - m_table.data());
    return index < m_table.size() ? m_actions[index] : nullptr;
}

const EditorCommand *EditorCommands::find(const QString &key) const
{
    if (key.isEmpty())
        return nullptr;
    for (const EditorCommand &command : m_table) {
        if (key == QLatin1String(command.key))
            return &command;
    }
    return nullptr;
}

QAction *EditorCommands::gridKey(EditorCommand::Id id) const
{
    const int index = indexOf(id);
    return index >= 0 ? m_gridKeys[static_cast<std::size_t>(index)] : nullptr;
}

void EditorCommands::fillToolbar(QToolBar &toolbar) const
{
    int position = 1;
    for (const EditorCommand &command : m_table) {
        if (!(command.places & InToolbar))
            continue;
        if (command.beginGroup && position > 1) {
            QAction *separator = toolbar.addSeparator();
            separator->setObjectName(QStringLiteral("separator%1").arg(position));
            ++position;
        }
        toolbar.addAction(action(command));
        ++position;
    }
}

void EditorCommands::fillMenu(QMenu &menu, CommandPlace place, const QString &separatorName) const
{
    int separators = 0;
    for (const EditorCommand &command : m_table) {
        if (!(command.places & place))
            continue;
        if (command.beginGroup && !menu.actions().isEmpty())
            menu.addSeparator()->setObjectName(separatorName + QString::number(++separators));
        menu.addAction(action(command));
    }
}

void EditorCommands::fillCommandBar(vbide::CommandBarControls &controls) const
{
    bool first = true;
    for (const EditorCommand &command : m_table) {
        if (!(command.places & InStringsMenu))
            continue;
        vbide::CommandBarControl *entry = controls.AddAction(action(command));
        entry->setBeginGroup(command.beginGroup && !first);
        first = false;
    }
}

void EditorCommands::updateEnabled(const ProjectState &state) const
{
    for (const EditorCommand &command : m_table) {
        if (command.needs != CommandNeeds::Nothing && command.needs != CommandNeeds::Editor)
            action(command)->setEnabled(commandEnabled(command.needs, state));
    }
}

void EditorCommands::retranslate() const
{
    for (const EditorCommand &command : m_table)
        setTexts(command, command.tipId ? lgv_string(command.tipId) : QString(), lgv_string(command.textId));
}

void EditorCommands::setTexts(const EditorCommand &command, const QString &tip, const QString &text) const
{
    QAction &action = *this->action(command);
    action.setText(text);
    if (command.tipId == 0)
        return;
    // The toolbar shows the tip, and names its button by it; the menus show the menu text.
    action.setIconText(tip);
    action.setStatusTip(tip);
    action.setToolTip(commandTip(tip, action.shortcut()));
}
