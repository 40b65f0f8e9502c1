#pragma once

// The font selection dialog: every installed font family with its character
// set and a sample drawn in it.

#include "support/LgvFormLocalisation.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QTreeWidget;

// Shows the dialog; 1 when the user confirmed a font (then in FontName), 2 when cancelled.
int SelectFont(const QString &Language, QString &FontName, const QString &SampleText);

// "Western", "Japanese", ... for a LOGFONT character set; "Unknown" for any other number.
QString CharsetName(int charSet);

class frmSelectFont : public QDialog, public LgvFormLocalisation {
    Q_OBJECT
public:
    explicit frmSelectFont(QWidget *parent = nullptr);
    ~frmSelectFont() override;

    void Form_Load();
    void Form_Unload();
    void lgv_UpdateControls() override;

    // Rebuilds the list from the installed families, sorted by face name.
    void FillFontList();
    // The row whose face name is fontName becomes the selected one; false when there is none.
    bool SelectFontRow(const QString &fontName);
    // Face name of the selected row; empty when none.
    QString SelectedFontName() const;

    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    int Result = 2;
    QString SampleText;

    QLabel *lblTitle = nullptr;
    QTreeWidget *stFonts = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdHelp = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
};
