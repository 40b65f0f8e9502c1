#pragma once

// The add-ins installed with the host, in a folder of its own installation.

#include "platform/common/Result.h"

#include <QString>
#include <QStringList>

namespace vbide {

// The host's add-in folder: relativeFolder resolved against the folder of the
// running executable; empty when that folder does not exist (a build tree).
QString bundledAddInFolder(const QString &relativeFolder);

// Registers each library in folder that exports DllRegisterServer and is not
// yet the registered library of any class, so a freshly installed add-in is
// in the host's add-in list at its first start while a user's own choices
// (load behaviour, registrations of their own add-ins) stay as they are.
// Returns the messages of the libraries that could not be registered.
QStringList registerBundledAddIns(const QString &folder);

} // namespace vbide
