// Roles Qt leaves generic. A toolbar's separators and a top-level window built
// from a plain QWidget (the help window) report the Client role, which tells a
// screen reader nothing; these get the role they have.
#include "platform/win32/HtmlHelp.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>

namespace {

QAccessibleInterface *accessibleWithRole(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("QToolBarSeparator"))
        return new QAccessibleWidget(widget, QAccessible::Separator);
    if (className == QLatin1String(win32::HtmlHelpViewer::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

void installAccessibleRoles() { QAccessible::installFactory(accessibleWithRole); }

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installAccessibleRoles)
