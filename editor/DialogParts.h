#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;

// A control's accessible name from its label's text: without the access key's "&".
QString withoutAccessKey(QString text);

// OK and Cancel in the UI language (cmdOK, cmdCancel, named for assistive
// tools), accepting and rejecting `dialog`.
QDialogButtonBox *okCancelButtons(QDialog &dialog);
