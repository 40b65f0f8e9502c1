#pragma once

#include <QString>

namespace win32 {

// Whether the desktop names a program for links of a scheme ("mailto"), as the
// shared MIME database's x-scheme-handler/<scheme> default (xdg-mime). True
// when xdg-mime is not installed: then only trying to open tells.
bool hasSchemeHandler(const QString &scheme);

} // namespace win32
