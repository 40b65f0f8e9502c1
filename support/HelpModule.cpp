#include "support/HelpModule.h"

#include "platform/win32/Interaction.h"
#include "support/Globals.h"

namespace HelpModule {

QString HelpFile() { return HelpFilePath.isEmpty() ? LibraryHelpFilePath() : HelpFilePath; }

void HtmlHelp(QWidget *owner, int command, int topic)
{
    win32::interaction().showHelp(owner, HelpFile(), command == HH_HELP_CONTEXT ? topic : 0);
}

} // namespace HelpModule
