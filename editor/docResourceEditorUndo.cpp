// Undo and redo: each project keeps its own stack of the steps done on its
// strings; the editor's Undo and Redo act on the shown project's stack, and
// the grid follows what a step does or undoes.
#include "editor/docResourceEditor.h"

#include "editor/CommandTip.h"
#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32/SftTree.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QAction>
#include <QHash>
#include <QKeySequence>
#include <QRegularExpression>
#include <QScrollBar>
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

bool docResourceEditor::RowHasTexts(qint32 id) const
{
    const resutil::ResStrings &strings = mCurrentProject->ResourceFile()->Strings();
    for (const LanguageColumn &language : mLanguages) {
        if (strings.Find(language.LocaleID, id))
            return true;
    }
    return false;
}

void docResourceEditor::ShowTexts(clsProject &project, const std::vector<std::pair<qint32, qint32>> &cells,
                                  const QList<qint32> &dropRows)
{
    if (&project != mCurrentProject)
        return;
    const resutil::ResStrings &strings = project.ResourceFile()->Strings();
    bool added = false;
    for (const auto &[localeId, id] : cells) {
        const int column = mLanguages.columnOf(localeId);
        if (column < 0) {
            RebuildGrid(true);  // a language the grid does not show (any more)
            return;
        }
        int row = m_sftTree->findItemData(id);
        if (row < 0) {
            AddLineInitFonts(id, row);
            added = true;
        }
        const resutil::ResString *entry = strings.Find(localeId, id);
        m_sftTree->setCellText(row, column, entry ? entry->Text() : QString());
    }
    for (qint32 id : dropRows) {
        const int row = m_sftTree->findItemData(id);
        if (row >= 0 && !RowHasTexts(id))
            m_sftTree->removeItem(row);
    }
    if (added) {
        const qint32 currentId = m_sftTree->currentRow() >= 0 ? m_sftTree->itemData(m_sftTree->currentRow()) : -1;
        const int column = m_sftTree->currentColumn();
        m_sftTree->sortById();
        if (currentId >= 0)
            m_sftTree->setCurrentCell(m_sftTree->findItemData(currentId), column);
    }
}

void docResourceEditor::ShowAllStrings(clsProject &project)
{
    // The file as a whole was replaced: what it does not hold goes.
    if (&project == mCurrentProject)
        RebuildGrid(false);
}

void docResourceEditor::ShowRow(clsProject &project, qint32 id, bool shown)
{
    if (&project != mCurrentProject)
        return;
    const int row = m_sftTree->findItemData(id);
    if (shown && row < 0) {
        int added = -1;
        AddLineInitFonts(id, added);
        // A new ID after the last stays at the end where the rows are filtered or sorted.
        if (added > 0 && m_sftTree->itemData(added - 1) > id)
            m_sftTree->sortById();
    } else if (!shown && row >= 0 && !RowHasTexts(id))
        m_sftTree->removeItem(row);
}

void docResourceEditor::ShowLanguage(clsProject &project, qint32 localeId, const QString &name, bool shown)
{
    if (&project != mCurrentProject)
        return;
    if (shown)
        RebuildGrid(true, -1, localeId, name);
    else
        RebuildGrid(true, localeId);
}

void docResourceEditor::RebuildGrid(bool keepEmpty, qint32 dropLocale, qint32 keepLocale, const QString &keepName)
{
    clsProject *project = mCurrentProject;
    const resutil::ResStrings &strings = project->ResourceFile()->Strings();
    const QList<qint32> fileLanguages = strings.Languages();
    // What the user sees that the file does not hold yet: languages and rows without texts.
    QList<std::pair<qint32, QString>> emptyLanguages;
    for (const LanguageColumn &language : mLanguages) {
        if (keepEmpty && language.LocaleID != dropLocale && !fileLanguages.contains(language.LocaleID))
            emptyLanguages.append({language.LocaleID, language.LanguageName});
    }
    if (keepLocale >= 0 && !fileLanguages.contains(keepLocale)
        && std::none_of(emptyLanguages.cbegin(), emptyLanguages.cend(),
                        [keepLocale](const auto &language) { return language.first == keepLocale; }))
        emptyLanguages.append({keepLocale, keepName});
    // Rows shown without any text (a row the step itself emptied goes).
    QList<qint32> emptyRows;
    for (int row = 0; keepEmpty && row < m_sftTree->itemCount(); ++row) {
        bool empty = true;
        for (int column = 1; empty && column < m_sftTree->columnCount(); ++column)
            empty = m_sftTree->cellText(row, column).isEmpty();
        if (empty)
            emptyRows.append(m_sftTree->itemData(row));
    }
    const int currentRow = m_sftTree->currentRow();
    const qint32 currentId = currentRow >= 0 ? m_sftTree->itemData(currentRow) : -1;
    const qint32 currentLocale = mLanguages.localeOf(m_sftTree->currentColumn());
    const int vertical = m_sftTree->verticalScrollBar()->value();
    const int horizontal = m_sftTree->horizontalScrollBar()->value();

    InitLanguageTable(project);
    if (!emptyLanguages.isEmpty()) {
        for (const auto &[locale, name] : emptyLanguages)
            mLanguages.append(locale, name);
        SetColumns();
    }
    ShowResourceStrings(project);
    if (!emptyRows.isEmpty()) {
        for (qint32 id : emptyRows) {
            int row = -1;
            if (m_sftTree->findItemData(id) < 0)
                AddLineInitFonts(id, row);
        }
        m_sftTree->sortById();
    }

    const int row = currentId >= 0 ? m_sftTree->findItemData(currentId) : -1;
    const int column = currentLocale >= 0 ? mLanguages.columnOf(currentLocale) : (m_sftTree->columnCount() > 0 ? 0 : -1);
    if (row >= 0 && column >= 0)
        m_sftTree->setCurrentCell(row, column);
    m_sftTree->verticalScrollBar()->setValue(vertical);
    m_sftTree->horizontalScrollBar()->setValue(horizontal);
    EnableDisableButtons();
}
