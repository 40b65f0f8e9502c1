#include "editor/clsProject.h"

#include "checks/StringTableChecks.h"
#include "editor/DiskWatcher.h"
#include "editor/SourceLanguageSetting.h"
#include "editor/StringTableModel.h"
#include "editor/docResourceEditor.h"
#include "platform/win32/Interaction.h"
#include "reviewstate/ReviewStates.h"
#include "support/LibraryMessages.h"

#include "platform/resutil/ResFile.h"
#include "platform/runtime/RuntimeSupport.h"
#include "platform/vbproject/ComponentType.h"
#include "platform/vbide/VBComponent.h"
#include "platform/vbide/VBComponents.h"
#include "platform/vbide/VBProject.h"
#include "support/ErrorTrap.h"
#include "uistrings/LgvStringModule.h"

#include <QUndoStack>

using LgvStringModule::lgv_string;

namespace {
constexpr int kUnreadableResourceFile = 551;  // "The resource file could not be read."
constexpr int kNotCreated = 634;              // "The resource file could not be created."
constexpr int kStatesUnreadable = 900;        // "The review states kept beside the resource file cannot be read, ..."
} // namespace

clsProject::clsProject(QObject *parent)
    : QObject(parent), m_undoStack(new QUndoStack(this)), m_watcher(new DiskWatcher(this))
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

void clsProject::setResourceFile(std::unique_ptr<resutil::ResFile> file) { setFile(std::move(file), false); }

void clsProject::setFile(std::unique_ptr<resutil::ResFile> file, bool unreadable)
{
    m_table.reset();
    m_resourceFile = std::move(file);
    m_unreadable = unreadable;
    if (m_resourceFile && !m_unreadable) {
        m_table = std::make_unique<StringTableModel>(m_resourceFile->Strings(), kInitialLanguageRoom);
        m_table->setReviewStates(reviewstate::ReviewStates::of(*m_resourceFile));
    }
}

void clsProject::Init(bool tellReadFailure)
{
    qm::trap("Init", [&] {
        m_undoStack->clear();
        setFile(nullptr, false);
        m_diskResources.clear();
        m_watcher->watch({});
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
            auto file = std::make_unique<resutil::ResFile>();
            file->setFileName(fileName);
            // Read and written with the file, so that every save keeps them.
            reviewstate::ReviewStates::attach(*file);
            // Taken before reading: a write while the file is read counts as a change.
            m_diskStamp = qm::FileStamp::of(fileName);
            m_stateStamp = qm::FileStamp::of(reviewstate::ReviewStates::pathFor(fileName));
            m_watcher->watch({fileName, reviewstate::ReviewStates::pathFor(fileName)});
            const qm::Status loaded = file->Load();
            if (loaded) {
                file->Strings().KeepTextsFromNow();
                m_diskResources = file->OtherResources();
            }
            setFile(std::move(file), !loaded);
            if (loaded)
                emit resourceFileRead();
            if (!loaded && !tellReadFailure)
                return;
            qm::checkExpected(loaded, lgv_string(kUnreadableResourceFile));
            const reviewstate::ReviewStates *states = reviewstate::ReviewStates::of(*m_resourceFile);
            if (states && !states->readable() && tellReadFailure)
                win32::interaction().msgBox(lgv_string(kStatesUnreadable) + QLatin1Char(' ') +
                                                LibraryMessages::Shown(states->problem()),
                                            win32::vbExclamation, QString::fromUtf8(docResourceEditor::kMessageTitle));
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
        reviewstate::ReviewStates::attach(*file);
        qm::checkExpected(file->Create(), lgv_string(kNotCreated));
        m_undoStack->clear();
        setFile(std::move(file), false);
        m_watcher->watch({FileName, StateFileName()});
        RememberDiskVersion();
        qm::check(m_project->VBComponents()->AddFile(FileName, false));
    });
}

qm::Status clsProject::SaveResourceFile()
{
    if (!m_resourceFile)
        return qm::makeError(QStringLiteral("The project has no resource file to save."));
    // The states' source hashes are of the language the checks use.
    if (auto *states = reviewstate::ReviewStates::of(*m_resourceFile)) {
        const qint32 chosen = m_sourceLanguageChoice != 0 ? m_sourceLanguageChoice
                                                          : GetStoredSourceLanguage(m_project ? m_project->FileName() : QString());
        states->setSourceLanguage(checks::sourceLanguage(m_resourceFile->Languages(), chosen));
    }
    if (auto saved = m_resourceFile->Save(0); !saved)
        return saved;
    RememberDiskVersion();
    emit resourceFileSaved();
    return {};
}

void clsProject::RememberDiskVersion()
{
    KnowDiskVersion({}, m_resourceFile->OtherResources(), qm::FileStamp::of(m_resourceFile->FileName()),
                    qm::FileStamp::of(StateFileName()));
}

void clsProject::KnowDiskVersion(QHash<quint64, QString> differing, QList<resutil::ResResource> others,
                                 const qm::FileStamp &stamp, const qm::FileStamp &stateStamp)
{
    m_resourceFile->Strings().KeepTextsFromNow(std::move(differing));
    m_diskResources = std::move(others);
    m_diskStamp = stamp;
    m_stateStamp = stateStamp;
    m_watcher->acknowledge();
}

merge::Version clsProject::DiskVersion() const
{
    if (!m_resourceFile)
        return {};
    return merge::Version{merge::StringTable::asKept(m_resourceFile->Strings()), m_diskResources};
}

QString clsProject::StateFileName() const
{
    return m_resourceFile ? reviewstate::ReviewStates::pathFor(m_resourceFile->FileName()) : QString();
}

bool clsProject::DiskFilesChanged() const
{
    if (!m_resourceFile)
        return false;
    return qm::FileStamp::of(m_resourceFile->FileName()) != m_diskStamp
           || qm::FileStamp::of(StateFileName()) != m_stateStamp;
}

qm::Status clsProject::ReadAgain()
{
    if (!m_resourceFile || !m_table)
        return qm::makeError(QStringLiteral("The project has no readable resource file."));
    const qm::FileStamp stamp = qm::FileStamp::of(m_resourceFile->FileName());
    const qm::FileStamp stateStamp = qm::FileStamp::of(StateFileName());
    if (qm::Status loaded = m_resourceFile->Load(); !loaded) {
        Init(false);
        return loaded;
    }
    KnowDiskVersion({}, m_resourceFile->OtherResources(), stamp, stateStamp);
    return {};
}

void clsProject::TookInDiskVersion(const merge::Version &theirs, const qm::FileStamp &stamp, const qm::FileStamp &stateStamp)
{
    KnowDiskVersion(theirs.strings.textsDifferingIn(m_resourceFile->Strings()), theirs.others, stamp, stateStamp);
}

bool clsProject::ResourceFileChangedOnDisk() const
{
    if (!m_resourceFile)
        return false;
    const qm::FileStamp now = qm::FileStamp::of(m_resourceFile->FileName());
    return now.exists && now != m_diskStamp;
}

void clsProject::lgv_RuntimeSupport_LanguageChanged(int LanguageID, const QString &Language)
{
    qm::trap("lgv_RuntimeSupport_LanguageChanged", [&] { LgvStringModule::SetUILanguage(LanguageID, Language); });
}
