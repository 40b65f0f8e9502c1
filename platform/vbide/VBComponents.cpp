#include "platform/vbide/VBComponents.h"

#include "platform/vbide/VBComponent.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbproject/VbpFile.h"

#include <QDir>
#include <QFileInfo>

namespace vbide {

VBComponents::VBComponents(VBProject *project) : QObject(project), m_project(project)
{
    reload();
}

void VBComponents::reload()
{
    qDeleteAll(m_items);
    m_items.clear();
    for (const VbpComponent &component : m_project->file().components())
        m_items.append(new VBComponent(component.type, component.name, component.path, component.exists, this));
}

VBComponent *VBComponents::Item(int index) const
{
    return index >= 1 && index <= m_items.size() ? m_items[index - 1] : nullptr;
}

VBComponent *VBComponents::Item(const QString &name) const
{
    for (VBComponent *component : m_items) {
        if (component->Name().compare(name, Qt::CaseInsensitive) == 0)
            return component;
    }
    return nullptr;
}

qm::Result<VBComponent *> VBComponents::AddFile(const QString &FileName, bool IsRelatedDocument)
{
    const QFileInfo info(FileName);
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    const QString shown = QDir::toNativeSeparators(path);
    if (FileName.trimmed().isEmpty())
        return qm::makeError(QStringLiteral("No file name was given to add to the project %1.").arg(m_project->Name()));
    if (!info.isFile())
        return qm::makeError(QStringLiteral("%1 cannot be added to the project %2: the file does not exist.")
                                 .arg(shown, m_project->Name()));
    const int type = IsRelatedDocument ? vbext_ct_RelatedDocument : VbpFile::typeOfFile(path);
    if (type == 0)
        return qm::makeError(QStringLiteral("%1 cannot be added to the project %2: files of this kind are not "
                                            "project components (add it as a related document).")
                                 .arg(shown, m_project->Name()));
    for (VBComponent *component : m_items) {
        if (QFileInfo(component->FileNames(1)).absoluteFilePath() == path)
            return qm::makeError(QStringLiteral("%1 is already part of the project %2.").arg(shown, m_project->Name()));
        if (type == vbext_ct_ResFile && component->Type() == vbext_ct_ResFile)
            return qm::makeError(QStringLiteral("The project %1 already has the resource file %2; "
                                                "a project can have only one.")
                                     .arg(m_project->Name(), QDir::toNativeSeparators(component->FileNames(1))));
    }
    const QString name = VbpFile::defaultComponentName(vbext_ComponentType(type), path, m_project->file().codePage());
    qm::Status added = m_project->file().addComponent(vbext_ComponentType(type), name, path);
    if (!added)
        return added.error();
    auto *component = new VBComponent(vbext_ComponentType(type), name, path, true, this);
    m_items.append(component);
    m_project->markChanged();
    emit m_project->componentsChanged();
    return component;
}

} // namespace vbide
