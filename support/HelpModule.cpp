#include "support/HelpModule.h"

#include "platform/win32/Interaction.h"
#include "support/Globals.h"
#include "uistrings/LgvStringModule.h"

#include <QDir>
#include <QFileInfo>

namespace HelpModule {

namespace {


} // namespace

QString LocalizedHelpFile(const QString &helpFile, int uiLanguage)
{
    if (uiLanguage != LgvStringModule::kGermanUILanguage)
        return helpFile;
    // The German help set has the same name, in the folder "de" beside the English one.
    const QFileInfo english(helpFile);
    const QString german = english.dir().filePath(QStringLiteral("de/") + english.fileName());
    return QFileInfo::exists(german) ? QDir::toNativeSeparators(german) : helpFile;
}

QString HelpFile()
{
    return LocalizedHelpFile(HelpFilePath.isEmpty() ? LibraryHelpFilePath() : HelpFilePath,
                             LgvStringModule::CurrentUILanguage());
}

void HtmlHelp(QWidget *owner, int command, int topic)
{
    win32::interaction().showHelp(owner, HelpFile(), command == HH_HELP_CONTEXT ? topic : 0);
}

} // namespace HelpModule
