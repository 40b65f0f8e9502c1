// What the editor shows of unsaved work: a "*" after each project with
// unsaved strings in the project list, the current project in the window's
// title with its modified mark, what a save wrote in the host's status bar,
// and the question before a save over a file another program changed.
#include "editor/docResourceEditor.h"

#include "editor/clsProject.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/win32/Interaction.h"
#include "uistrings/LgvStringModule.h"

#include <QComboBox>
#include <QDir>

using LgvStringModule::lgv_string;

namespace {
constexpr int kSavedStrings = 617;    // "Saved %1 (%0 strings)."
constexpr int kSavedOneString = 618;  // "Saved %1 (1 string)."
constexpr int kChangedOnDisk = 630;   // "The resource file was changed on disk by another program ..."
constexpr int kKeepMineOrReload = 631;
constexpr int kKeepMineOrDrop = 632;
constexpr int kSaveChanges = 510;          // "Save changes to resource file."
constexpr int kRefreshDropsChanges = 616;  // "... Read it again from disk and drop them?"
} // namespace

QString docResourceEditor::ProjectListText(const clsProject &project) const
{
    const QString name = project.Project() ? project.Project()->Name() : QString();
    return HasUnsavedChanges(project) ? name + QStringLiteral(" *") : name;
}

void docResourceEditor::UpdateUnsavedMarks()
{
    for (const clsProject *project : std::as_const(mProjects)) {
        const int entry = ProjectListEntry(project->Index());
        if (entry >= 0 && m_cboProjects->itemText(entry) != ProjectListText(*project))
            m_cboProjects->setItemText(entry, ProjectListText(*project));
    }
    // The host's title bar puts the project after the caption; "[*]" is where the mark goes.
    const bool current = mCurrentProject && mCurrentProject->Project();
    setWindowTitle(current ? mCurrentProject->Project()->Name() + QStringLiteral(" [*]") : QString());
    setWindowModified(current && HasUnsavedChanges(*mCurrentProject));
}

void docResourceEditor::SelectOnlyProject()
{
    // A project the host is about to close (approved for closing, as when it
    // closes a group to open another) is left alone: it is not staying.
    if (mCurrentProject || mProjects.size() != 1 || mProjects.first()->CloseApproved())
        return;
    m_cboProjects->setCurrentIndex(ProjectListEntry(mProjects.first()->Index()));
    m_selectingAutomatically = true;
    cboProjects_Click();
    m_selectingAutomatically = false;
}

void docResourceEditor::ReportSaved(const resutil::ResFile &file)
{
    if (!m_vbe)
        return;
    qsizetype written = 0;  // empty texts are not stored
    for (const resutil::ResString *entry : file.Strings())
        written += entry->Text().isEmpty() ? 0 : 1;
    const QString path = QDir::toNativeSeparators(file.FileName());
    m_vbe->ShowStatusText(LgvStringModule::SubstituteParameters(
        lgv_string(written == 1 ? kSavedOneString : kSavedStrings), QString::number(written), path));
}

int docResourceEditor::AskAboutChangeOnDisk(const clsProject &project, DiskChangeChoice choice)
{
    const QString path = QDir::toNativeSeparators(project.ResourceFile()->FileName());
    const bool reload = choice == DiskChangeChoice::KeepMineOrReload;
    const QString text = lgv_string(kChangedOnDisk) + QLatin1Char('\n') + path + QLatin1Char('\n')
                         + lgv_string(reload ? kKeepMineOrReload : kKeepMineOrDrop);
    // Where there is a Cancel, it is the default: it loses neither version.
    const int style = choice == DiskChangeChoice::KeepMineOrDrop ? win32::vbYesNo
                                                                  : win32::vbYesNoCancel | win32::vbDefaultButton3;
    return win32::interaction().msgBox(text, style | win32::vbExclamation, QString::fromUtf8(kMessageTitle));
}

QString docResourceEditor::SaveQuestion(const clsProject &project)
{
    return lgv_string(kSaveChanges) + QLatin1Char('\n') + project.ResourceFile()->FileName();
}

bool docResourceEditor::MaybeSave(clsProject &project, SaveChoice choice)
{
    if (!HasUnsavedChanges(project))
        return true;
    const QString title = QString::fromUtf8(kMessageTitle);
    switch (choice) {
    case SaveChoice::DropOrKeep:
        return win32::interaction().msgBox(lgv_string(kRefreshDropsChanges) + QLatin1Char('\n')
                                               + project.ResourceFile()->FileName(),
                                           win32::vbYesNo | win32::vbExclamation, title) == win32::vbYes;
    case SaveChoice::SaveOrDrop:
        return win32::interaction().msgBox(SaveQuestion(project), win32::vbYesNo, title) != win32::vbYes
               || SaveBeforeClose(project, false);
    case SaveChoice::SaveDropOrStay:
        switch (win32::interaction().msgBox(SaveQuestion(project), win32::vbYesNoCancel, title)) {
        case win32::vbYes:
            return SaveBeforeClose(project, true);
        case win32::vbNo:
            return true;
        default:
            return false;  // Cancel, or the box closed
        }
    }
    return false;
}
