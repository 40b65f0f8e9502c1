#pragma once

#include <QString>

namespace win32 {

// A library's message (English) as the user reads it, for the few the platform
// shows itself (the help window's failures). Unchanged until the application
// installs a translator.
using MessageTranslator = QString (*)(const QString &message);
void setMessageTranslator(MessageTranslator translator);
QString shownMessage(const QString &message);

} // namespace win32
