// The import/export command: runs the wizard on the selected project's
// resource file and shows the project again after an import.
#include "editor/docResourceEditor.h"

#include "editor/ProjectFolder.h"
#include "editor/StringTableModel.h"
#include "editor/clsProject.h"
#include "excel/frmExcel.h"
#include "platform/vbide/VBProject.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32/SftTree.h"
#include "support/ErrorTrap.h"

#include <QCoreApplication>

namespace {
constexpr int kImportStep = 769;  // "Import Strings"

class HeldTable {
public:
    HeldTable(StringTableModel &table, win32::SftTree &grid) : m_table(table), m_grid(grid)
    {
        m_grid.setUpdatesEnabled(false);
        m_table.setHeld(true);
    }
    ~HeldTable()
    {
        m_table.setHeld(false);
        m_grid.setUpdatesEnabled(true);
    }
    HeldTable(const HeldTable &) = delete;
    HeldTable &operator=(const HeldTable &) = delete;

private:
    StringTableModel &m_table;
    win32::SftTree &m_grid;
};
} // namespace

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
        qint32 result = 0;
        {
            // The transfer reads and writes the strings on a thread of its own:
            // the grid keeps what it shows and reads none of them meanwhile.
            const HeldTable held(*mCurrentProject->Table(), *m_sftTree);
            result = frmExcel::ShowExcelDialog(project->Name(), ParentFolder(project->FileName()), file,
                                               SourceLanguage());
        }
        QCoreApplication::processEvents();
        if (result != 1)
            return;
        if (TakeSnapshot(file.Strings()) == before) {
            file.Strings().setChanged(changedBefore);  // nothing was imported after all
        } else {
            PushStringCommand(new ReplaceStringsCommand(*mCurrentProject, kImportStep, QString(),
                                                        std::move(before)));
        }
        ProjectSelect(mCurrentProject);
        EnableDisableButtons();
    });
}
