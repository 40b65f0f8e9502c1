#pragma once

#include "support/LgvFormLocalisation.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The Properties dialog; this version has nothing to configure.
class frmProperties : public QDialog, public LgvFormLocalisation {
    Q_OBJECT
public:
    explicit frmProperties(QWidget *parent = nullptr);
    ~frmProperties() override;

    void Form_Load();
    void Form_Unload();
    void lgv_UpdateControls() override;
    void cmdOK_Click();

    QLabel *Label1 = nullptr;
    QPushButton *cmdOK = nullptr;
    // 1 after OK, 2 otherwise.
    int Result = 2;
};

// Shows the dialog modally; 1 when it was closed with OK, 2 otherwise.
int ShowPropertiesDialog(QWidget *parent = nullptr);
