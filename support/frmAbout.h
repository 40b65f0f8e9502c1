#pragma once

#include "support/LgvFormLocalisation.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QSpacerItem;

// The About box: the product's name and the running add-in's version.
class frmAbout : public QDialog, public LgvFormLocalisation {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

    void Form_Load();
    void Form_Unload();
    void lgv_UpdateControls() override;

    void cmdOK_Click();
    void cmdHelp_Click();

    QLabel *imgIcon = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblVersion = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdHelp = nullptr;

private:
    QSpacerItem *captionRoom = nullptr;  // keeps the box as wide as its caption needs
};

// Loads the About box, shows it modally and unloads it.
void ShowAboutDialog(QWidget *parent = nullptr);
