#pragma once

// How much wider than its source a translation may be drawn, kept per project
// file in the registry beside the project's other settings.

#include <QString>

namespace fit {

// The stored factor for the project file, else kDefaultFactor (1.3).
double storedWidthFactor(const QString &projectFile);
// Keeps factor (1.0 to 10.0, in hundredths) for the project file; false when it is out of range.
bool storeWidthFactor(const QString &projectFile, double factor);

} // namespace fit
