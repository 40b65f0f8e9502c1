#pragma once

namespace vbide {

// Names the running host's application. It sets no display name: Qt would append
// it to every window and message box title, and those titles are the system's own.
void prepareHostApplication();

} // namespace vbide
