#pragma once

class QKeyEvent;

namespace win32 {

// The Windows virtual-key code of a key press, as a KeyDown event reports it.
// Characters that have no key of their own on a US keyboard report the key
// that types them there ("(" is the 9 key), and any other character reports
// VK_PACKET, so that no typed character ever looks like an arrow, Tab or Enter.
// Never 0, which a KeyDown handler uses for "swallowed".
int virtualKeyOf(const QKeyEvent &event);

} // namespace win32
