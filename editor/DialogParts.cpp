#include "editor/DialogParts.h"

#include "uistrings/LgvStringModule.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace {
constexpr int kOk = 51;      // "OK"
constexpr int kCancel = 82;  // "Cancel"
} // namespace

QString withoutAccessKey(QString text) { return text.remove(QLatin1Char('&')); }

QDialogButtonBox *okCancelButtons(QDialog &dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->setObjectName(QStringLiteral("buttons"));
    const auto name = [&](QDialogButtonBox::StandardButton which, const char *objectName, int textId) {
        QPushButton *button = buttons->button(which);
        button->setObjectName(QLatin1String(objectName));
        button->setText(LgvStringModule::lgv_string(textId));
        button->setAccessibleName(withoutAccessKey(button->text()));
    };
    name(QDialogButtonBox::Ok, "cmdOK", kOk);
    name(QDialogButtonBox::Cancel, "cmdCancel", kCancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}
