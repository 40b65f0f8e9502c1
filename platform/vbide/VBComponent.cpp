#include "platform/vbide/VBComponent.h"

#include "platform/vbide/VBComponents.h"

namespace vbide {

VBComponent::VBComponent(vbext_ComponentType type, QString name, QString fileName, bool fileExists,
                         VBComponents *parent)
    : QObject(parent), m_type(type), m_name(std::move(name)), m_fileName(std::move(fileName)), m_fileExists(fileExists)
{
    setObjectName(m_name);
}

VBComponents *VBComponent::Collection() const
{
    return static_cast<VBComponents *>(parent());
}

} // namespace vbide
