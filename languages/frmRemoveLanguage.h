#pragma once

#include "support/LgvFormLocalisation.h"

#include <QDialog>

class QListWidget;
class QPushButton;

// Picks one of the languages shown, to be removed; the command removes it.
class frmRemoveLanguage : public QDialog, public LgvFormLocalisation {
    Q_OBJECT
public:
    explicit frmRemoveLanguage(QWidget *parent = nullptr);
    ~frmRemoveLanguage() override;

    // The caller fills it: each item's text a language name, its Qt::UserRole
    // data the language table index.
    QListWidget *LanguageList() const { return lstLanguages; }
    // Runs the dialog: 1 when OK confirmed a selected item (LangIndex is then its
    // data), 2 otherwise; 2 at once without showing anything when the list is empty.
    int RemoveLanguage(int &LangIndex);

    void Form_Load();
    void Form_Unload();
    void lgv_UpdateControls() override;
    void lstLanguages_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    QListWidget *lstLanguages = nullptr;
    QPushButton *cmdHelp = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdOK = nullptr;
    int DialogResult = 2;
};
