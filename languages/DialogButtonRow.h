#pragma once

#include <QBoxLayout>

class QPushButton;

// The Help, Cancel and OK buttons of the language dialogs: Help at the start,
// Cancel and OK at the far end, OK the default button.
struct DialogButtonRow {
    QPushButton *help = nullptr;
    QPushButton *cancel = nullptr;
    QPushButton *ok = nullptr;
    QBoxLayout *layout = nullptr;  // not yet in any layout
};

// Creates the buttons as children of dialog (object names cmdHelp, cmdCancel,
// cmdOK), laid out along direction.
DialogButtonRow createDialogButtonRow(QWidget *dialog, QBoxLayout::Direction direction);
