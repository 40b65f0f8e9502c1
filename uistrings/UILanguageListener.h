#pragma once

namespace LgvStringModule {

// Called with the language each time it is set: the add-in switches Qt's own
// texts with it. The tables have no GUI, so they only pass the news on.
using UILanguageListener = void (*)(int languageId);
void SetUILanguageListener(UILanguageListener listener);

} // namespace LgvStringModule
