#include "editor/docResourceEditor.h"

#include "coderefs/ProjectUses.h"
#include "editor/DiskWatcher.h"
#include "editor/CellSpelling.h"
#include "editor/EditorCommands.h"
#include "editor/FindBar.h"
#include "editor/StringTableModel.h"
#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbide/Events.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbide/VBProjectsEvents.h"
#include "platform/win32/Interaction.h"
#include "platform/win32/SftTree.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QComboBox>
#include <QUndoGroup>
#include <QUndoStack>

#include <algorithm>
#include <QProgressBar>
#include <QToolBar>

using LgvStringModule::lgv_string;

namespace {
constexpr int kNotSaved = 633;  // "The resource file could not be saved; ..."
}

docResourceEditor::docResourceEditor(QWidget *parent)
    : QWidget(parent), mNoLanguages(clsProject::kInitialLanguageRoom)
{
    setObjectName(QStringLiteral("docResourceEditor"));
    setAccessibleName(QString::fromUtf8(kMessageTitle));
    CreateControls();
    UserDocument_Initialize();
}

docResourceEditor::~docResourceEditor()
{
    // No reading of the code reports to a half-destroyed editor.
    m_projectUses.reset();
    // The grid must not report a closing cell edit to a half-destroyed editor.
    m_sftTree->disconnect(this);
    m_sftTree->endEdit(false);
    // Nor ask it for rows or marks while the widgets go.
    QObject::disconnect(&m_sftTree->rowView(), nullptr, this, nullptr);
    QObject::disconnect(&m_sftTree->grid(), nullptr, this, nullptr);
    ShowTable(nullptr);
    m_sftTree->setRowRule({});
    RemoveCommandMenu();
    UserDocument_Terminate();
}

void docResourceEditor::UserDocument_Initialize()
{
    qm::trap("UserDocument_Initialize", [&] {
        LgvStringModule::InitUIStrings();
        // The texts follow the current language from the start: the stored language
        // is set before the editor exists, so no later change would apply it.
        lgv_Load(true);
        mProjects.clear();
        mNextProjectIndex = 0;
        LayoutControls();
        EnableDisableButtons();
    });
}

void docResourceEditor::UserDocument_Terminate()
{
    qm::trap("UserDocument_Terminate", [&] {
        lgv_Unload();
        if (ProjectsEvents)
            ProjectsEvents->disconnect(this);
        mCurrentProject = nullptr;
        for (clsProject *project : std::as_const(mProjects))
            project->setProject(nullptr);
        qDeleteAll(mProjects);
        mProjects.clear();
    });
}

void docResourceEditor::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutControls();
}

void docResourceEditor::LayoutControls()
{
    // Layout ignores failures: each step is independent of the others.
    int top = m_toolbar->sizeHint().height();
    m_toolbar->setGeometry(0, 0, width(), top);
    const int listHeight = m_cboProjects->sizeHint().height();
    m_cboProjects->setGeometry(0, top, width(), listHeight);
    m_pbaProgress->setGeometry(0, top, width(), listHeight);
    top += listHeight;
    if (m_findBarOpen) {
        const int barHeight = m_findBar->arrangeForWidth(width());
        m_findBar->setGeometry(0, top, width(), barHeight);
        top += barHeight;
    }
    m_sftTree->setGeometry(0, top, width(), std::max(height() - top, 0));
}

void docResourceEditor::setVBE(vbide::VBE *oVBE)
{
    qm::trap("Property Set VBE", [&] {
        if (ProjectsEvents)
            ProjectsEvents->disconnect(this);
        m_vbe = oVBE;
        if (!oVBE)
            return;
        ProjectsEvents = oVBE->Events()->VBProjectsEvents();
        connect(ProjectsEvents, &vbide::VBProjectsEvents::ItemAdded, this,
                &docResourceEditor::ProjectsEvents_ItemAdded);
        connect(ProjectsEvents, &vbide::VBProjectsEvents::ItemRemoved, this,
                &docResourceEditor::ProjectsEvents_ItemRemoved);
        connect(ProjectsEvents, &vbide::VBProjectsEvents::ItemRenamed, this,
                &docResourceEditor::ProjectsEvents_ItemRenamed);
        m_listingProjects = true;
        for (vbide::VBProject *project : *oVBE->VBProjects())
            ProjectsEvents_ItemAdded(project);
        m_listingProjects = false;
        AddCommandMenu();
        SelectOnlyProject();
    });
    m_listingProjects = false;
}

vbide::VBE *docResourceEditor::VBE() const { return m_vbe.data(); }

void docResourceEditor::SelectedViaAddInMenu() {}

void docResourceEditor::ProjectsEvents_ItemAdded(vbide::VBProject *VBProject)
{
    qm::trap("ProjectsEvents_ItemAdded", [&] {
        auto *project = new clsProject(this);
        connect(project->Watcher(), &DiskWatcher::changed, this, [this, project] { FilesChangedOnDisk(*project); });
        project->setIndex(mNextProjectIndex);
        project->setProject(VBProject);
        // The memory learns from every file read or saved.
        connect(project, &clsProject::resourceFileRead, this, [this, project] { RememberStrings(*project); });
        connect(project, &clsProject::resourceFileSaved, this, [this, project] { RememberStrings(*project); });
        mProjects.append(project);
        m_undoGroup->addStack(project->UndoStack());
        m_cboProjects->addItem(ProjectListText(*project), mNextProjectIndex);
        ++mNextProjectIndex;
        SyncProjectListSelection();
        if (!m_listingProjects)
            SelectOnlyProject();
    });
}

void docResourceEditor::ProjectsEvents_ItemRemoved(vbide::VBProject *VBProject)
{
    qm::trap("ProjectsEvents_ItemRemoved", [&] {
        CommitPendingEdit();
        if (mCurrentProject && mCurrentProject->Project() == VBProject)
            ProjectClose();
        clsProject *project = nullptr;
        for (clsProject *candidate : std::as_const(mProjects)) {
            if (candidate->Project() == VBProject) {
                project = candidate;
                break;
            }
        }
        if (!project)
            return;
        // Asked already when the host let the add-in decide before closing the
        // project. A failed save keeps the project's entry, with its edits.
        if (!project->CloseApproved() && !MaybeSave(*project, SaveChoice::SaveOrDrop))
            return;
        project->setProject(nullptr);
        mProjects.removeOne(project);
        const int entry = ProjectListEntry(project->Index());
        if (entry >= 0)
            m_cboProjects->removeItem(entry);
        delete project;
        SyncProjectListSelection();
        SelectOnlyProject();
        UpdateUnsavedMarks();
    });
}

void docResourceEditor::ProjectsEvents_ItemRenamed(vbide::VBProject *VBProject, const QString &)
{
    qm::trap("ProjectsEvents_ItemRenamed", [&] {
        for (clsProject *project : std::as_const(mProjects)) {
            if (project->Project() == VBProject) {
                UpdateUnsavedMarks();  // the list's text and the caption, with the new name
                return;
            }
        }
    });
}

void docResourceEditor::cboProjects_Click()
{
    qm::trap("cboProjects_Click", [&] {
        CommitPendingEdit();
        const QVariant data = m_cboProjects->currentData();
        if (data.isValid()) {
            const qint32 index = data.toInt();
            clsProject *project = nullptr;
            for (clsProject *candidate : std::as_const(mProjects)) {
                if (candidate->Index() == index) {
                    project = candidate;
                    break;
                }
            }
            if (project && project != mCurrentProject) {
                // The user is told about a file that cannot be read only when they chose the project.
                if (!project->Initialised())
                    project->Init(!m_selectingAutomatically);
                ProjectSelect(project);
            }
        }
        EnableDisableButtons();
        UpdateUnsavedMarks();
    });
}

void docResourceEditor::ProjectSelect(clsProject *project)
{
    qm::trap("ProjectSelect", [&] {
        mCurrentProject = project;
        m_undoGroup->setActiveStack(project ? project->UndoStack() : nullptr);
        InitLanguageTable(project);
        ShowResourceStrings(project);
        WatchProjectCode();
    });
}

void docResourceEditor::ProjectClose()
{
    qm::trap("ProjectClose", [&] {
        mCurrentProject = nullptr;
        m_undoGroup->setActiveStack(nullptr);
        ShowTable(nullptr);
        m_sftTree->clear();
        WatchProjectCode();
        EnableDisableButtons();
        UpdateUnsavedMarks();
    });
}

void docResourceEditor::Refresh()
{
    qm::trap("Refresh", [&] {
        if (!mCurrentProject)
            return;
        // Reading the file again drops what was typed since the last save: only when the user agrees.
        if (!MaybeSave(*mCurrentProject, SaveChoice::DropOrKeep))
            return;
        mCurrentProject->Init();
        ProjectSelect(mCurrentProject);
        EnableDisableButtons();
    });
}

void docResourceEditor::SaveChangedResourceFiles()
{
    qm::trap("SaveChangedResourceFiles", [&] {
        CommitPendingEdit();
        for (clsProject *project : std::as_const(mProjects)) {
            // The add-in goes whatever the answer; a failed save has been told.
            if (!project->CloseApproved())
                MaybeSave(*project, SaveChoice::SaveOrDrop);
        }
        UpdateUnsavedMarks();
    });
}

bool docResourceEditor::QueryClose(const QList<vbide::VBProject *> &hostProjects, bool unloading)
{
    bool mayClose = false;
    qm::trap("QueryClose", [&] {
        CommitPendingEdit();
        for (clsProject *project : std::as_const(mProjects))
            project->setCloseApproved(false);
        QList<clsProject *> closing;
        for (clsProject *project : std::as_const(mProjects)) {
            if (unloading || hostProjects.contains(project->Project()))
                closing.append(project);
        }
        for (clsProject *project : std::as_const(closing)) {
            // A failed save keeps everything open, with the edits, so the user can retry.
            if (!MaybeSave(*project, SaveChoice::SaveDropOrStay))
                break;
            project->setCloseApproved(true);
        }
        mayClose = std::all_of(closing.cbegin(), closing.cend(), [](clsProject *p) { return p->CloseApproved(); });
    });
    if (!mayClose) {
        for (clsProject *project : std::as_const(mProjects))
            project->setCloseApproved(false);
    }
    UpdateUnsavedMarks();
    return mayClose;
}

bool docResourceEditor::HasUnsavedChanges(const clsProject &project)
{
    return project.HasResourceFile() && project.ResourceFile()->Changed();
}

bool docResourceEditor::SaveBeforeClose(clsProject &project, bool canStayOpen)
{
    bool mayClose = false;
    qm::trap("SaveBeforeClose", [&] {
        // Another program's changes are merged in first; a file that cannot be
        // read, or conflicts left unresolved where the close cannot wait, are asked about.
        const DiskMerge merged = project.ResourceFileChangedOnDisk() ? MergeWithDisk(project, true).result
                                                                     : DiskMerge::Merged;
        if (merged == DiskMerge::Cancelled && canStayOpen)
            return;
        if (merged != DiskMerge::Merged) {
            const int answer = AskAboutChangeOnDisk(project, canStayOpen ? DiskChangeChoice::KeepMineDropOrStay
                                                                         : DiskChangeChoice::KeepMineOrDrop);
            if (answer != win32::vbYes) {
                mayClose = answer == win32::vbNo;
                return;
            }
        }
        qm::checkExpected(project.SaveResourceFile(), lgv_string(kNotSaved));
        project.UndoStack()->setClean();
        mayClose = true;
    });
    return mayClose;
}

void docResourceEditor::CommitPendingEdit()
{
    if (m_sftTree->isEditing())
        m_sftTree->endEdit(true);
}

int docResourceEditor::ProjectListEntry(qint32 index) const
{
    for (int entry = 0; entry < m_cboProjects->count(); ++entry) {
        if (m_cboProjects->itemData(entry).toInt() == index)
            return entry;
    }
    return -1;
}

void docResourceEditor::SyncProjectListSelection()
{
    const int entry = mCurrentProject ? ProjectListEntry(mCurrentProject->Index()) : -1;
    if (m_cboProjects->currentIndex() != entry)
        m_cboProjects->setCurrentIndex(entry);
}
