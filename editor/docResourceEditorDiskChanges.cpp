// Changes other programs make to a project's resource file or its state file
// while the editor has it open: read again when nothing is unsaved, else
// merged cell by cell with the edits in memory (base: the file as last read
// or written here). Cells both sides changed differently wait for the save,
// which asks about them, so a change on disk never takes the focus.
#include "editor/docResourceEditor.h"

#include "editor/DiskWatcher.h"
#include "editor/MergeConflictsDialog.h"
#include "editor/StringCommands.h"
#include "editor/StringTableModel.h"
#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbide/VBE.h"
#include "platform/win32/Interaction.h"
#include "platform/win32/SftTree.h"
#include "platform/win32/SftTreeCellEditor.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QUndoStack>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kReadAgain = 1100;     // "%0 was changed on disk and has been read again."
constexpr int kMerged = 1101;        // "%0 was changed on disk; its changes were merged ..."
constexpr int kConflictsWait = 1102; // "... %1 of its changes conflict with your unsaved edits ..."
constexpr int kRemoved = 1103;       // "%0 was removed from disk; ..."
constexpr int kUnreadable = 1104;    // "%0 was changed on disk but cannot be read: %1"
constexpr int kChangedStep = 1105;   // "Changed on Disk"
constexpr int kMergeStep = 1106;     // "Merge Changes on Disk"

bool sameCells(const merge::StringTable &a, const merge::StringTable &b)
{
    return std::equal(a.cells().begin(), a.cells().end(), b.cells().begin(), b.cells().end(),
                      [](const merge::Cell &x, const merge::Cell &y) {
                          return x.localeId == y.localeId && x.id == y.id && x.text == y.text;
                      });
}

bool sameResources(const QList<resutil::ResResource> &a, const QList<resutil::ResResource> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const resutil::ResResource &x, const resutil::ResResource &y) {
                          return merge::sameResource(x, y);
                      });
}

StringSnapshot snapshotOf(const merge::StringTable &strings)
{
    StringSnapshot records;
    records.reserve(strings.cells().size());
    for (const merge::Cell &cell : strings.cells())
        records.push_back({cell.localeId, cell.id, cell.text});
    return records;
}

QString shownPath(const clsProject &project)
{
    return QDir::toNativeSeparators(project.ResourceFile()->FileName());
}
} // namespace

void docResourceEditor::ShowStatus(const QString &text)
{
    if (m_vbe)
        m_vbe->ShowStatusText(text);
}

void docResourceEditor::FilesChangedOnDisk(clsProject &project)
{
    qm::trap("FilesChangedOnDisk", [&] {
        if (!project.HasResourceFile() || !project.DiskFilesChanged())
            return;
        // Not while a transfer works on the strings or a dialog is open, nor
        // while the user types into a cell: once that is over.
        const bool editing = &project == mCurrentProject && m_sftTree->isEditing();
        const bool typing = editing && m_sftTree->cellEditor()->text()
                                           != m_sftTree->cellText(m_sftTree->editRow(), m_sftTree->editColumn());
        if (typing || (project.Table() && project.Table()->held()) || QApplication::activeModalWidget()) {
            project.Watcher()->remindLater();
            return;
        }
        // A cell open with nothing typed into it (Enter keeps it open) is opened again after.
        qint32 editId = -1;
        qint32 editLocale = -1;
        if (editing) {
            editId = m_sftTree->itemData(m_sftTree->editRow());
            editLocale = Languages().localeOf(m_sftTree->editColumn());
            m_sftTree->endEdit(false);
        }
        TakeInDiskChange(project);
        const int row = editId >= 0 ? m_sftTree->findItemData(editId) : -1;
        const int column = editLocale >= 0 ? Languages().columnOf(editLocale) : -1;
        if (&project == mCurrentProject && row >= 0 && column >= 0 && m_sftTree->columnEditable(column)) {
            m_sftTree->setEditFont(m_sftTree->cellFont(row, column));
            m_sftTree->beginEdit(row, column);
        }
    });
}

void docResourceEditor::TakeInDiskChange(clsProject &project)
{
    if (!QFileInfo::exists(project.ResourceFile()->FileName())) {
        ShowStatus(SubstituteParameters(lgv_string(kRemoved), shownPath(project)));
        return;
    }
    if (project.ResourceFileUnreadable() || !HasUnsavedChanges(project)) {
        ReadAgainFromDisk(project);
        return;
    }
    const DiskMergeOutcome outcome = MergeWithDisk(project, false);
    switch (outcome.result) {
    case DiskMerge::Merged:
        ShowStatus(SubstituteParameters(lgv_string(kMerged), shownPath(project)));
        break;
    case DiskMerge::Conflicts:
        ShowStatus(SubstituteParameters(lgv_string(kConflictsWait), shownPath(project),
                                        QString::number(outcome.conflicts)));
        break;
    case DiskMerge::Unreadable:
        ShowStatus(SubstituteParameters(lgv_string(kUnreadable), shownPath(project), outcome.problem));
        break;
    case DiskMerge::Cancelled:
        break;
    }
    UpdateUnsavedMarks();
}

void docResourceEditor::ReadAgainFromDisk(clsProject &project)
{
    const QString path = shownPath(project);
    // A file caught halfway through being written is left for its next change.
    {
        resutil::ResFile disk;
        disk.setFileName(project.ResourceFile()->FileName());
        if (const qm::Status readable = disk.Load(); !readable) {
            ShowStatus(SubstituteParameters(lgv_string(kUnreadable), path, readable.errorString()));
            return;
        }
    }
    if (project.ResourceFileUnreadable()) {
        // Nothing of it was shown to keep: it is shown anew.
        project.Init(false);
        if (&project == mCurrentProject)
            ProjectSelect(mCurrentProject);
    } else {
        StringSnapshot before = TakeSnapshot(project.ResourceFile()->Strings());
        if (!project.ReadAgain()) {
            if (&project == mCurrentProject)
                ProjectSelect(mCurrentProject);
        } else if (TakeSnapshot(project.ResourceFile()->Strings()) == before) {
            project.Table()->stringsReplaced();
        } else {
            // The first redo shows what the file now holds; undo brings the texts before back, unsaved.
            project.UndoStack()->push(new ReplaceStringsCommand(project, kChangedStep, QString(), std::move(before)));
            project.UndoStack()->setClean();
        }
        SyncChangedMark(project);
    }
    if (&project == mCurrentProject)
        EnableDisableButtons();
    UpdateUnsavedMarks();
    ShowStatus(SubstituteParameters(lgv_string(kReadAgain), path));
}

docResourceEditor::DiskMergeOutcome docResourceEditor::MergeWithDisk(clsProject &project, bool ask)
{
    resutil::ResFile &file = *project.ResourceFile();
    const qm::FileStamp stamp = qm::FileStamp::of(file.FileName());
    const qm::FileStamp stateStamp = qm::FileStamp::of(project.StateFileName());
    resutil::ResFile disk;
    disk.setFileName(file.FileName());
    if (const qm::Status loaded = disk.Load(); !loaded)
        return {DiskMerge::Unreadable, 0, loaded.errorString()};
    merge::Version theirs = merge::versionOf(disk);
    const merge::Version base = project.DiskVersion();
    // Only the state file changed: the strings in memory stay as they are, saved point included.
    if (sameCells(theirs.strings, base.strings) && sameResources(theirs.others, base.others)) {
        project.TookInDiskVersion(std::move(theirs), stamp, stateStamp);
        return {DiskMerge::Merged, 0, {}};
    }
    const merge::Version mine = merge::versionOf(file);
    merge::MergeResult result = merge::mergeVersions(base, mine, theirs);
    const std::size_t conflicts = result.conflicts().size() + result.resourceConflicts().size();
    if (!result.clean()) {
        if (!ask)
            return {DiskMerge::Conflicts, conflicts, {}};
        MergeConflictsDialog dialog(file.FileName(), result, QApplication::activeWindow());
        if (win32::interaction().execDialog(dialog) != QDialog::Accepted)
            return {DiskMerge::Cancelled, conflicts, {}};
    }
    const merge::StringTable merged = result.strings();
    QList<resutil::ResResource> others = result.otherResources();
    const bool asOnDisk = sameCells(merged, theirs.strings) && sameResources(others, theirs.others);
    if (!sameResources(others, mine.others))
        file.setOtherResources(std::move(others));
    if (!sameCells(merged, mine.strings)) {
        StringSnapshot before = TakeSnapshot(file.Strings());
        // Theirs is what is on disk from here (TookInDiskVersion below), not the base.
        file.Strings().StopKeepingTexts();
        RestoreSnapshot(file.Strings(), snapshotOf(merged));
        project.UndoStack()->push(new ReplaceStringsCommand(project, kMergeStep, QString(), std::move(before)));
    }
    // What is on disk now is the base of the next merge; no step of the stack is what it holds, unless the merge is.
    if (asOnDisk)
        project.UndoStack()->setClean();
    else
        project.UndoStack()->resetClean();
    project.TookInDiskVersion(std::move(theirs), stamp, stateStamp);
    SyncChangedMark(project);
    return {DiskMerge::Merged, conflicts, {}};
}
