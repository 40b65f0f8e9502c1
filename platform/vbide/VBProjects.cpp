#include "platform/vbide/VBProjects.h"

#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjectsEvents.h"
#include "platform/vbproject/VbpFile.h"

#include <QDir>
#include <QFileInfo>

namespace vbide {

VBProjects::VBProjects(VBProjectsEvents *events, QObject *parent) : QObject(parent), m_events(events) {}

VBProject *VBProjects::Item(int index) const
{
    return index >= 1 && index <= m_items.size() ? m_items[index - 1] : nullptr;
}

VBProject *VBProjects::Item(const QString &name) const
{
    for (VBProject *project : m_items) {
        if (project->Name().compare(name, Qt::CaseInsensitive) == 0)
            return project;
    }
    return nullptr;
}

qm::Result<VBProject *> VBProjects::AddFromFile(const QString &fileName, bool exclusive, const QByteArray &groupCodePage,
                                                const QByteArray &codePage)
{
    const QString canonical = QFileInfo(fileName).canonicalFilePath();
    if (!exclusive) {
        for (VBProject *project : m_items) {
            if (!canonical.isEmpty() && QFileInfo(project->FileName()).canonicalFilePath() == canonical)
                return qm::makeError(QStringLiteral("The project %1 is already open.")
                                         .arg(QDir::toNativeSeparators(project->FileName())));
        }
    }
    const bool resource = QFileInfo(fileName).suffix().compare(QLatin1String("res"), Qt::CaseInsensitive) == 0;
    qm::Result<std::unique_ptr<VbpFile>> file = resource ? VbpFile::forResourceFile(fileName)
                                                          : VbpFile::read(fileName, codePage, groupCodePage);
    if (!file)
        return file.error();
    if (exclusive) {
        while (!m_items.isEmpty()) {
            qm::Status removed = Remove(m_items.last());
            if (!removed)
                return removed.error();
        }
    }
    auto *project = new VBProject(std::move(*file), m_events, this);
    m_items.append(project);
    emit m_events->ItemAdded(project);
    return project;
}

qm::Result<VBProject *> VBProjects::Reopen(VBProject *project, const QByteArray &codePage)
{
    const int index = IndexOf(project);
    if (index == 0)
        return qm::makeError(QStringLiteral("The project is not open in this host."));
    if (project->file().resourceOnly())
        return qm::makeError(QStringLiteral("The project %1 stands for its resource file alone and has no project "
                                            "file to read in another code page.").arg(project->Name()));
    qm::Result<std::unique_ptr<VbpFile>> file = VbpFile::read(project->FileName(), codePage);
    if (!file)
        return file.error();
    qm::Status removed = Remove(project);
    if (!removed)
        return removed.error();
    auto *reopened = new VBProject(std::move(*file), m_events, this);
    m_items.insert(index - 1, reopened);
    emit m_events->ItemAdded(reopened);
    return reopened;
}

qm::Status VBProjects::Remove(VBProject *project)
{
    if (!project || !m_items.contains(project))
        return qm::makeError(QStringLiteral("The project is not open in this host."));
    m_items.removeAll(project);
    emit m_events->ItemRemoved(project);
    project->deleteLater();
    return {};
}

} // namespace vbide
