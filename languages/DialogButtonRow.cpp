#include "languages/DialogButtonRow.h"

#include <QPushButton>

DialogButtonRow createDialogButtonRow(QWidget *dialog, QBoxLayout::Direction direction)
{
    DialogButtonRow row;
    const auto button = [dialog](const char *name) {
        auto *created = new QPushButton(dialog);
        created->setObjectName(QString::fromLatin1(name));
        return created;
    };
    row.help = button("cmdHelp");
    row.help->setAutoDefault(false);
    row.cancel = button("cmdCancel");
    row.cancel->setAutoDefault(false);
    row.ok = button("cmdOK");
    row.ok->setDefault(true);
    row.layout = new QBoxLayout(direction);
    row.layout->addWidget(row.help);
    row.layout->addStretch(1);
    row.layout->addWidget(row.cancel);
    row.layout->addWidget(row.ok);
    return row;
}
