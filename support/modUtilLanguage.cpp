#include "support/modUtilLanguage.h"

#include "platform/runtime/LocaleInfo.h"
#include "support/ErrorTrap.h"
#include "support/Globals.h"
#include "uistrings/LgvStringModule.h"

QString GetLanguageNameFromLocaleID(int lcid)
{
    QString name;
    qm::trap("GetLanguageNameFromLocaleID", [&] {
        if (!::LocaleInfo)
            qm::raise(QStringLiteral("The locale information object has not been created"));
        name = qm::check(::LocaleInfo->GetLocaleName(lcid, LgvStringModule::CurrentUILanguage()));
    });
    return name;
}
