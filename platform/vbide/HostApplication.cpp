#include "platform/vbide/HostApplication.h"

#include <QCoreApplication>

namespace vbide {

void prepareHostApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("quill-host"));
}

} // namespace vbide
