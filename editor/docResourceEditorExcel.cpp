// The import/export command: runs the wizard on the selected project's
// resource file and shows the project again after an import.
#include "editor/docResourceEditor.h"

#include "editor/ProjectFolder.h"
#include "editor/clsProject.h"
#include "excel/frmExcel.h"
#include "platform/vbide/VBProject.h"
#include "platform/resutil/ResFile.h"
#include "support/ErrorTrap.h"

#include <QCoreApplication>

namespace {
constexpr int kImportStep = 769;  // "Import Strings"
}

void docResourceEditor::ExcelImportExport()
{
    qm::trap("ExcelImportExport", [&] {
        // The "excel" button is enabled only for a project with a resource file.
        if (!EditableProject())
            return;
        vbide::VBProject *project = mCurrentProject->Project();
        resutil::ResFile &file = *mCurrentProject->ResourceFile();
        // What the strings were, so that the import is one step to undo.
        StringSnapshot before = TakeSnapshot(file.Strings());
        const bool changedBefore = file.Changed();
        // Translator files are exported from the language the checks compare against.
        const qint32 result = frmExcel::ShowExcelDialog(project->Name(), ParentFolder(project->FileName()),
                                                        file, SourceLanguage());
        QCoreApplication::processEvents();
        if (result != 1)
            return;
        if (TakeSnapshot(file.Strings()) == before) {
            file.Strings().setChanged(changedBefore);  // nothing was imported after all
        } else {
            PushStringCommand(new ReplaceStringsCommand(*mCurrentProject, *this, kImportStep, QString(),
                                                        std::move(before)));
        }
        ProjectSelect(mCurrentProject);
        EnableDisableButtons();
    });
}
