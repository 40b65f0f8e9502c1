#pragma once

// What Qt draws itself (message box buttons, file dialogs, key names, regular
// expression errors) and what the platform's own windows say (the help window,
// the file dialog's checks) follow the add-in's UI language.

namespace QtTranslations {

// For 1031 installs Qt's German translation and German texts for the platform
// windows; for any other language removes them. Open widgets get a
// LanguageChange event and put up the new texts. Called each time the UI
// language is set.
void Apply(int languageId);
// Whether Qt's own German translation is installed now; false where it could
// not be loaded (its package is missing) or the language is not German.
bool QtGermanLoaded();

} // namespace QtTranslations
