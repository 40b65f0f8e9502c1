#pragma once

#include "transfer/UiText.h"

#include <QString>

// A UI string in the current UI language with its values put in, or a
// library's message put into that language.
QString shownText(const UiText &text);
// A message box's lines, joined by CR LF.
QString shownText(const UiMessage &message);
