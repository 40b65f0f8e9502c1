#pragma once

// The shared globals of the add-in: set by the connection, read everywhere else.

#include "uistrings/LgvStringModule.h" // LocaleInfo, which the UI strings read

#include <QString>

#include <memory>

class docResourceEditor;

// "Version 1.02.0034" for the library version 1.2.34.
extern QString VersionText;
// The editor inside the tool window; not owned here.
extern docResourceEditor *EditorInstance;
// The help file of the library (LibraryHelpFilePath() once connected).
extern QString HelpFilePath;

// "Version " + major + "." + minor as two digits + "." + revision as four digits.
QString FormatVersionText(int major, int minor, int revision);
// FormatVersionText of this library's own version.
QString LibraryVersionText();
// The folder the add-in library was loaded from.
QString LibraryFolder();
// LibraryFolder() + separator + "Quillmark.chm".
QString LibraryHelpFilePath();
