#include "editor/CommandTip.h"

#include "uistrings/LgvStringModule.h"

#include <QStringList>

namespace {

// German keyboards label Ctrl "Strg", Shift "Umschalt", Delete "Entf" and
// Insert "Einfg". Qt's German translation, which the add-in loads with the UI
// language, names them so in menus; where it is missing the tips still do.
QString keyText(const QKeySequence &key)
{
    if (LgvStringModule::CurrentUILanguage() != 1031)
        return key.toString(QKeySequence::NativeText);
    QStringList parts = key.toString(QKeySequence::PortableText).split(QLatin1Char('+'));
    for (QString &part : parts) {
        if (part == QLatin1String("Ctrl"))
            part = QStringLiteral("Strg");
        else if (part == QLatin1String("Shift"))
            part = QStringLiteral("Umschalt");
        else if (part == QLatin1String("Del"))
            part = QStringLiteral("Entf");
        else if (part == QLatin1String("Ins"))
            part = QStringLiteral("Einfg");
    }
    return parts.join(QLatin1Char('+'));
}

} // namespace

QString commandTip(const QString &tip, const QKeySequence &key)
{
    return key.isEmpty() ? tip : QStringLiteral("%1 (%2)").arg(tip, keyText(key));
}
