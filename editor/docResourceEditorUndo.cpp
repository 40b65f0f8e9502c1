// Undo and redo: each project keeps its own stack of the steps done on its
// strings; the editor's Undo and Redo act on the shown project's stack. A
// step changes the project's table, which the grid shows.
#include "editor/docResourceEditor.h"

#include "editor/CommandTip.h"
#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QKeySequence>
#include <QRegularExpression>
#include <QUndoGroup>
#include <QUndoStack>

#include <algorithm>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kUndoStep = 760;    // "&Undo %0"
constexpr int kRedoStep = 761;    // "Re&do %0"
constexpr int kUndoNothing = 762; // "&Undo"
constexpr int kRedoNothing = 763; // "Re&do"

QString menuText(int stepTextId, int plainTextId, bool can, const QString &step)
{
    if (!can)
        return lgv_string(plainTextId);
    QString name = step;
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return SubstituteParameters(lgv_string(stepTextId), name);
}

void setTextWithKey(QAction &action, const QString &text)
{
    action.setText(text);
    QString tip = text;
    tip.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    tip.replace(QStringLiteral("&&"), QStringLiteral("&"));
    action.setToolTip(commandTip(tip, action.shortcut()));
}
} // namespace

void docResourceEditor::CreateUndoActions()
{
    m_undoGroup = new QUndoGroup(this);
    connect(m_undoGroup, &QUndoGroup::indexChanged, this, &docResourceEditor::UpdateUndoActions);
    connect(m_undoGroup, &QUndoGroup::activeStackChanged, this, &docResourceEditor::UpdateUndoActions);
    connect(m_undoGroup, &QUndoGroup::cleanChanged, this, &docResourceEditor::UpdateUndoActions);
    // A step may change review states without a text: the figures follow each one.
    connect(m_undoGroup, &QUndoGroup::indexChanged, this, &docResourceEditor::ScheduleStateStatus);
    UpdateUndoActions();
}

void docResourceEditor::UpdateUndoActions()
{
    const QUndoStack *stack = m_undoGroup->activeStack();
    const bool canUndo = stack && stack->canUndo();
    const bool canRedo = stack && stack->canRedo();
    mnuUndo()->setEnabled(canUndo);
    mnuRedo()->setEnabled(canRedo);
    setTextWithKey(*mnuUndo(), menuText(kUndoStep, kUndoNothing, canUndo, canUndo ? stack->undoText() : QString()));
    setTextWithKey(*mnuRedo(), menuText(kRedoStep, kRedoNothing, canRedo, canRedo ? stack->redoText() : QString()));
}

void docResourceEditor::RetranslateUndoSteps()
{
    for (clsProject *project : std::as_const(mProjects)) {
        QUndoStack *stack = project->UndoStack();
        for (int i = 0; i < stack->count(); ++i)
            static_cast<StringCommand *>(const_cast<QUndoCommand *>(stack->command(i)))->Retranslate();
    }
    UpdateUndoActions();
}

void docResourceEditor::Undo()
{
    qm::trap("Undo", [&] {
        ShowOwnWindow();
        CommitPendingEdit();
        QUndoStack *stack = m_undoGroup->activeStack();
        if (!mCurrentProject || !stack || !stack->canUndo())
            return;
        stack->undo();
        SyncChangedMark(*mCurrentProject);
    });
    UpdateUnsavedMarks();
}

void docResourceEditor::Redo()
{
    qm::trap("Redo", [&] {
        ShowOwnWindow();
        CommitPendingEdit();
        QUndoStack *stack = m_undoGroup->activeStack();
        if (!mCurrentProject || !stack || !stack->canRedo())
            return;
        stack->redo();
        SyncChangedMark(*mCurrentProject);
    });
    UpdateUnsavedMarks();
}

void docResourceEditor::PushStringCommand(StringCommand *command)
{
    mCurrentProject->UndoStack()->push(command);
    SyncChangedMark(*mCurrentProject);
    UpdateUnsavedMarks();
}

void docResourceEditor::SyncChangedMark(clsProject &project)
{
    if (!project.HasResourceFile())
        return;
    const QUndoStack &stack = *project.UndoStack();
    const int clean = stack.cleanIndex();
    bool changed = clean < 0;
    for (int i = std::min(clean, stack.index()); !changed && clean >= 0 && i < std::max(clean, stack.index()); ++i)
        changed = static_cast<const StringCommand *>(stack.command(i))->ChangesFile();
    project.ResourceFile()->Strings().setChanged(changed);
}
