#include "platform/vbide/VBProject.h"

#include "platform/vbide/VBComponents.h"
#include "platform/vbide/VBProjectsEvents.h"
#include "platform/vbproject/VbpFile.h"

#include <QRegularExpression>

namespace vbide {

VBProject::VBProject(std::unique_ptr<VbpFile> file, VBProjectsEvents *events, QObject *parent)
    : QObject(parent), m_file(std::move(file)), m_events(events)
{
    setObjectName(m_file->name());
    m_components = new vbide::VBComponents(this);
}

VBProject::~VBProject() = default;

QString VBProject::Name() const
{
    return m_file->name();
}

qm::Status VBProject::setName(const QString &name)
{
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z][A-Za-z0-9_]{0,39}$"));
    if (!valid.match(name).hasMatch())
        return qm::makeError(QStringLiteral("\"%1\" is not a valid project name: it must start with a letter, "
                                            "hold only letters, digits and \"_\", and have at most 40 characters.")
                                 .arg(name));
    const QString oldName = Name();
    if (name == oldName)
        return {};
    qm::Status status = m_file->setName(name);
    if (!status)
        return status;
    setObjectName(name);
    markChanged();
    emit m_events->ItemRenamed(this, oldName);
    return {};
}

QString VBProject::FileName() const
{
    return m_file->fileName();
}

bool VBProject::IsDirty() const
{
    return m_file->isChanged();
}

qm::Status VBProject::Save()
{
    if (!m_file->isChanged())
        return {};
    qm::Status status = m_file->save();
    if (status)
        emit dirtyChanged(false);
    return status;
}

QStringList VBProject::LoadWarnings() const
{
    return m_file->warnings();
}

void VBProject::markChanged()
{
    emit dirtyChanged(true);
}

} // namespace vbide
