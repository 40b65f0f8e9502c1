#include "platform/win32/MessageTranslator.h"

namespace win32 {
namespace {
MessageTranslator g_translator = nullptr;
}

void setMessageTranslator(MessageTranslator translator) { g_translator = translator; }

QString shownMessage(const QString &message) { return g_translator ? g_translator(message) : message; }

} // namespace win32
