#pragma once

#include <QString>

namespace qm {

// The add-in's name: the title of its message boxes, its menu item and tool
// window, and how the host lists it.
inline constexpr const char kProductTitle[] = "Quill Resource String Editor";

inline QString productTitle() { return QString::fromLatin1(kProductTitle); }

} // namespace qm
