// The Excel import/export command: runs the wizard on the selected project's
// resource file and shows the project again after an import.
#include "editor/docResourceEditor.h"

#include "editor/ProjectFolder.h"
#include "editor/clsProject.h"
#include "excel/frmExcel.h"
#include "platform/vbide/VBProject.h"
#include "support/ErrorTrap.h"

#include <QCoreApplication>

void docResourceEditor::ExcelImportExport()
{
    qm::trap("ExcelImportExport", [&] {
        // The "excel" button is enabled only for a project with a resource file.
        if (!mCurrentProject || !mCurrentProject->HasReadableResourceFile())
            return;
        vbide::VBProject *project = mCurrentProject->Project();
        const qint32 result = frmExcel::ShowExcelDialog(project->Name(), ParentFolder(project->FileName()),
                                                        *mCurrentProject->ResourceFile());
        QCoreApplication::processEvents();
        if (result == 1) {
            ProjectSelect(mCurrentProject);
            EnableDisableButtons();
        }
    });
}
