// The editing commands: create and save the resource file, add and remove
// string IDs and languages, and choose a language's display font.
#include "editor/docResourceEditor.h"

#include "editor/ProjectFolder.h"
#include "editor/StringTableModel.h"
#include "editor/clsProject.h"
#include "languages/frmAddLanguage.h"
#include "languages/frmRemoveLanguage.h"
#include "languages/frmSelectFont.h"
#include "languages/modUtilFonts.h"
#include "platform/resutil/ResFile.h"
#include "platform/vbide/AddIn.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/win32/Interaction.h"
#include "platform/win32/SftTree.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QListWidget>
#include <QUndoStack>


using LgvStringModule::lgv_string;

namespace {

// The largest string ID a resource file can hold.
constexpr qint64 kMaxStringId = 65535;
const QString kHostResourceEditor = QStringLiteral("ResEdit6.Connect");
// Names of the undo steps.
constexpr int kNewStringStep = 765;      // "New String %0"
constexpr int kRemoveStringStep = 766;   // "Remove String %0"
constexpr int kAddLanguageStep = 767;    // "Add Language %0"
constexpr int kRemoveLanguageStep = 768; // "Remove Language %0"
constexpr int kNotSaved = 633;           // "The resource file could not be saved; ..."

int message(const QString &text, int style)
{
    return win32::interaction().msgBox(text, style, QString::fromUtf8(docResourceEditor::kMessageTitle));
}

} // namespace

void docResourceEditor::NewResFile()
{
    qm::trap("NewResFile", [&] {
        if (!mCurrentProject || mCurrentProject->HasResourceFile())
            return;
        vbide::VBProject *project = mCurrentProject->Project();
        if (!project)
            qm::raise(QStringLiteral("The project is no longer open in the host"));
        win32::FileDialogRequest request;
        request.title = lgv_string(511);
        request.initialPath = FileInFolder(ParentFolder(project->FileName()), project->Name(), QStringLiteral(".res"));
        request.filters = {QStringLiteral("Resource Files (*.res)"), QStringLiteral("All Files (*.*)")};
        request.defaultSuffix = QStringLiteral("res");
        request.confirmOverwrite = true;
        request.pathMustExist = true;
        const QString fileName = win32::interaction().getSaveFileName(request);
        if (fileName.isEmpty())
            return;  // cancelled
        mCurrentProject->CreateResourceFile(fileName);
        ProjectSelect(mCurrentProject);
        EnableDisableButtons();
    });
}

void docResourceEditor::SaveResFile()
{
    qm::trap("SaveResFile", [&] {
        if (!EditableProject())
            return;
        // Another program's changes are merged in first; only a file that cannot be read is asked about.
        const DiskMerge merged = mCurrentProject->ResourceFileChangedOnDisk()
                                     ? MergeWithDisk(*mCurrentProject, true).result
                                     : DiskMerge::Merged;
        UpdateUnsavedMarks();
        if (merged == DiskMerge::Cancelled)
            return;
        if (merged == DiskMerge::Unreadable) {
            const int answer = AskAboutChangeOnDisk(*mCurrentProject, DiskChangeChoice::KeepMineOrReload);
            if (answer == win32::vbNo) {
                mCurrentProject->Init();
                ProjectSelect(mCurrentProject);
                EnableDisableButtons();
            }
            if (answer != win32::vbYes)
                return;
        }
        // The host's own resource editor holds the file open; it steps aside while we write.
        vbide::AddIn *unloaded = nullptr;
        if (VBE() && VBE()->Addins()) {
            for (vbide::AddIn *addIn : *VBE()->Addins()) {
                if (addIn->ProgId() == kHostResourceEditor) {
                    if (addIn->Connect()) {
                        qm::check(addIn->setConnect(false));
                        unloaded = addIn;
                    }
                    break;
                }
            }
        }
        const qm::Status saved = mCurrentProject->SaveResourceFile();
        // Loaded again whether or not the save worked; a failed save is told after.
        const qm::Status reloaded = unloaded ? unloaded->setConnect(true) : qm::Status();
        qm::checkExpected(saved, lgv_string(kNotSaved));
        mCurrentProject->UndoStack()->setClean();
        ReportSaved(*mCurrentProject->ResourceFile());
        qm::check(reloaded);
    });
}

void docResourceEditor::NewResString()
{
    qm::trap("NewResString", [&] {
        if (!EditableProject())
            return;
        const std::vector<qint32> &ids = Table()->ids();
        const qint64 newId = ids.empty() ? 0 : qint64(ids.back()) + 1;
        if (newId > kMaxStringId) {
            message(lgv_string(549), win32::vbExclamation);
            return;
        }
        PushStringCommand(new NewRowCommand(*mCurrentProject, kNewStringStep, static_cast<qint32>(newId)));
        // The new row is selected and its first language cell opened for typing.
        const int row = m_sftTree->findItemData(static_cast<qint32>(newId));
        if (row < 0)
            return;
        m_sftTree->selectRow(row);
        const int column = m_sftTree->firstEditableColumn();
        if (m_sftTree->columnEditable(column)) {
            m_sftTree->setEditFont(m_sftTree->cellFont(row, column));
            m_sftTree->beginEdit(row, column);
        } else {
            m_sftTree->setCurrentCell(row, column);
        }
    });
}

void docResourceEditor::AddLanguage()
{
    qm::trap("AddLanguage", [&] {
        if (!EditableProject())
            return;
        int localeId = -1;
        QString localeName;
        if (::AddLanguage(localeId, localeName, this) != 1)
            return;
        if (localeId == -1) {
            message(lgv_string(550), win32::vbExclamation);
            return;
        }
        if (Languages().contains(localeId)) {
            message(lgv_string(512), win32::vbExclamation);
            return;
        }
        PushStringCommand(new NewLanguageCommand(*mCurrentProject, kAddLanguageStep, localeId, localeName));
        // The new column is brought into view, its first cell current.
        const int column = Languages().columnOf(localeId);
        m_sftTree->scrollToColumn(column);
        m_sftTree->setCurrentCell(m_sftTree->itemAtPosition(0), column);
        m_sftTree->setFocus(Qt::OtherFocusReason);
    });
}

void docResourceEditor::DelResString()
{
    qm::trap("DelResString", [&] {
        if (!EditableProject())
            return;
        const int row = m_sftTree->selectedRow();
        if (row == -1) {
            message(lgv_string(513), win32::vbOKOnly);
            return;
        }
        const qint32 id = m_sftTree->itemData(row);
        if (message(lgv_string(514) + QString::number(id), win32::vbOKCancel) != win32::vbOK)
            return;
        PushStringCommand(new RemoveEntriesCommand(*mCurrentProject, kRemoveStringStep, QString::number(id),
                                                   RemoveEntriesCommand::ByStringId, id));
    });
}

void docResourceEditor::RemoveLanguage()
{
    qm::trap("RemoveLanguage", [&] {
        if (!EditableProject())
            return;
        frmRemoveLanguage form(this);
        form.Form_Load();
        QListWidget *list = form.LanguageList();
        list->clear();
        for (int i = 0; i <= Languages().last(); ++i) {
            auto *item = new QListWidgetItem(Languages()[i].LanguageName, list);
            item->setData(Qt::UserRole, i);
        }
        int langIndex = -1;
        const int result = form.RemoveLanguage(langIndex);
        form.Form_Unload();
        if (result != 1 || langIndex < 0 || langIndex > Languages().last())
            return;
        PushStringCommand(new RemoveEntriesCommand(*mCurrentProject, kRemoveLanguageStep,
                                                   Languages()[langIndex].LanguageName, RemoveEntriesCommand::ByLocale,
                                                   Languages()[langIndex].LocaleID));
    });
}

void docResourceEditor::mnuRemoveLanguage_Click()
{
    qm::trap("mnuRemoveLanguage_Click", [&] {
        const int index = mMenuLanguage;
        if (!EditableProject() || index < 0 || index > Languages().last())
            return;
        const LanguageColumn &language = Languages()[index];
        const QString question =
            LgvStringModule::JoinMessageParts({lgv_string(233), language.LanguageName, lgv_string(515)});
        if (message(question, win32::vbOKCancel) != win32::vbOK)
            return;
        PushStringCommand(new RemoveEntriesCommand(*mCurrentProject, kRemoveLanguageStep, language.LanguageName,
                                                   RemoveEntriesCommand::ByLocale, language.LocaleID));
    });
}

void docResourceEditor::mnuChangeFont_Click()
{
    qm::trap("mnuChangeFont_Click", [&] {
        const int index = mMenuLanguage;
        if (index < 0 || index > Languages().last())
            return;
        StringTableModel *table = Table();
        if (!table)
            return;
        const LanguageColumn &language = Languages()[index];
        const QString sample = mMenuRow == -1 ? QString() : m_sftTree->cellText(mMenuRow, mMenuColumn);
        QString fontName = language.FontName;
        if (SelectFont(language.LanguageName, fontName, sample) != 1)
            return;
        const qint32 locale = language.LocaleID;
        table->setLanguageFont(locale, fontName);
        modUtil::StoreLanguageFont(locale, fontName);
    });
}
