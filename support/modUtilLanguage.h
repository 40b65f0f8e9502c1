#pragma once

#include <QString>

// The locale's name in the current UI language; empty (after a report) when it has none.
QString GetLanguageNameFromLocaleID(int lcid);
