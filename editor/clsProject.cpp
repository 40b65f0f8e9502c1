#include "editor/clsProject.h"

#include "platform/resutil/ResFile.h"
#include "platform/runtime/RuntimeSupport.h"
#include "platform/vbide/ComponentType.h"
#include "platform/vbide/VBComponent.h"
#include "platform/vbide/VBComponents.h"
#include "platform/vbide/VBProject.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QUndoStack>

clsProject::clsProject(QObject *parent) : QObject(parent), m_undoStack(new QUndoStack(this))
{
    qm::trap("Class_Initialize", [&] {
        LgvStringModule::ReopenUIStrings();
        lgv_RuntimeSupport = std::make_unique<LgvRuntime::RuntimeSupport>();
        connect(lgv_RuntimeSupport.get(), &LgvRuntime::RuntimeSupport::LanguageChanged, this,
                [this](int languageId, const QString &language) {
                    lgv_RuntimeSupport_LanguageChanged(languageId, language);
                });
        LgvStringModule::SetUILanguage(lgv_RuntimeSupport->LanguageId(), lgv_RuntimeSupport->Language());
    });
}

clsProject::~clsProject() = default;

void clsProject::setResourceFile(std::unique_ptr<resutil::ResFile> file) { m_resourceFile = std::move(file); }

void clsProject::Init()
{
    qm::trap("Init", [&] {
        m_undoStack->clear();
        m_resourceFile.reset();
        m_unreadable = false;
        if (!m_project)
            qm::raise(QStringLiteral("The project is no longer open in the host."));
        QString fileName;
        for (vbide::VBComponent *component : *m_project->VBComponents()) {
            if (component->Type() == vbide::vbext_ct_ResFile) {
                fileName = component->FileNames(1);
                break;
            }
        }
        if (!fileName.isEmpty()) {
            m_resourceFile = std::make_unique<resutil::ResFile>();
            m_resourceFile->setFileName(fileName);
            m_unreadable = true;
            qm::check(m_resourceFile->Load());
            m_unreadable = false;
        }
        m_initialised = true;
    });
}

void clsProject::CreateResourceFile(const QString &FileName)
{
    qm::trap("CreateResourceFile", [&] {
        if (m_resourceFile)
            return;
        if (!m_project)
            qm::raise(QStringLiteral("The project is no longer open in the host."));
        // The project only gets the file once it exists on disk, so a failed
        // creation leaves it without one and the user can try again.
        auto file = std::make_unique<resutil::ResFile>();
        file->setFileName(FileName);
        qm::check(file->Create());
        m_undoStack->clear();
        m_resourceFile = std::move(file);
        qm::check(m_project->VBComponents()->AddFile(FileName, false));
    });
}

void clsProject::lgv_RuntimeSupport_LanguageChanged(int LanguageID, const QString &Language)
{
    qm::trap("lgv_RuntimeSupport_LanguageChanged", [&] { LgvStringModule::SetUILanguage(LanguageID, Language); });
}
