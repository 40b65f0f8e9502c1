#include "platform/win32/Interaction.h"

namespace win32 {
namespace {
int g_depth = 0;
}

int modalLoopDepth() { return g_depth; }

ModalLoopScope::ModalLoopScope() { ++g_depth; }

ModalLoopScope::~ModalLoopScope() { --g_depth; }

} // namespace win32
