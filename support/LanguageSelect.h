#pragma once

#include "support/LgvFormLocalisation.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

// The dialog in which the user chooses the add-in's UI language and whether it
// appears whenever the add-in is loaded. The choice is stored in the registry
// and announced to every open window.
class LanguageSelect : public QDialog, public LgvFormLocalisation {
    Q_OBJECT
public:
    static const QString SettingsKeyPath;

    // At start-up (IsStartup) applies the stored language and shows the dialog
    // only when the user asked for it; otherwise always shows it.
    static void ShowDialog(bool IsStartup = false);

    explicit LanguageSelect(QWidget *parent = nullptr);
    ~LanguageSelect() override;

    void Form_Load();
    void Form_Unload();
    void InitialiseForm();
    void lgv_UpdateControls() override;
    void OkButton_Click();
    void LanguageList_DblClick();

    bool ShowAtStartup = true;
    QListWidget *LanguageList = nullptr;
    QCheckBox *chkShowOnStartup = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *OkButton = nullptr;
};
