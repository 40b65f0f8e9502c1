#include "excel/UiTextShown.h"

#include "uistrings/LgvStringModule.h"
#include "support/LibraryMessages.h"

#include <QStringList>

QString shownText(const UiText &text)
{
    if (text.id == 0)
        return LibraryMessages::Shown(text.library);
    return LgvStringModule::SubstituteParameters(LgvStringModule::lgv_string(text.id), text.values);
}

QString shownText(const UiMessage &message)
{
    QStringList lines;
    for (const UiText &line : message.lines)
        lines.append(shownText(line));
    return lines.join(QStringLiteral("\r\n"));
}
