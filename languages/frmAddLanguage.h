#pragma once

#include "support/LgvFormLocalisation.h"

#include <QDialog>

class QLabel;
class QPushButton;
class ctlLanguageList;

// Picks a locale to add as a new language column; the command checks and applies it.
class frmAddLanguage : public QDialog, public LgvFormLocalisation {
    Q_OBJECT
public:
    explicit frmAddLanguage(QWidget *parent = nullptr);
    ~frmAddLanguage() override;

    // Runs the dialog: 1 after OK (then LocaleID and LocaleName hold the choice),
    // 2 after Cancel, 0 when it was closed otherwise; the out values change only on 1.
    int AddLanguage(int &LocaleID, QString &LocaleName);

    void Form_Load();
    void Form_Unload();
    void lgv_UpdateControls() override;
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    QLabel *lblLanguage = nullptr;
    ctlLanguageList *LocaleList = nullptr;
    QPushButton *cmdHelp = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdOK = nullptr;
    int DialogResult = 0;

protected:
    // Esc is the Cancel button; only the close box leaves the result at 0.
    void keyPressEvent(QKeyEvent *event) override;
};

// Loads frmAddLanguage, runs AddLanguage and unloads it.
int AddLanguage(int &LocaleID, QString &LocaleName, QWidget *parent = nullptr);
