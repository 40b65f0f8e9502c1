#pragma once

#include "uistrings/LgvFormLocalisation.h"

#include <QDialog>
#include <QString>

#include <memory>

class CaptionedProgressBar;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace excel {
class Application;
class Workbook;
class Worksheet;
} // namespace excel
namespace resutil {
class ResFile;
}

// The import/export wizard: exchanges the string tables of one project's
// resource file with a worksheet of a workbook, in four steps (direction,
// file name, worksheet, start).
class frmExcel : public QDialog, public LgvFormLocalisation {
    Q_OBJECT
public:
    explicit frmExcel(QWidget *parent = nullptr);
    ~frmExcel() override;

    // Runs the wizard modally for the project's resource file. Returns 1 when
    // an import was started, 2 when none was (cancelled, closed, export only),
    // 0 when the spreadsheet back end cannot be started.
    static qint32 ShowExcelDialog(const QString &ProjectName, const QString &ProjectDir, resutil::ResFile &RFile);

    bool OkToGotoNextStep();
    int GetNextStep();
    int GetPrevStep();
    void InitStep(int StepIndex);
    void SetStep(int StepIndex);
    void DoExport();
    void DoImport();
    void lgv_UpdateControls() override;

    void Form_Load();
    void Form_Unload();
    void optImport_Click();
    void optExport_Click();
    void txtFilename_Change();
    void cmdBrowse_Click();
    void cmdUseProjectName_Click();
    void cboWorksheetList_Click();
    void cboWorksheetCombo_Click();
    void cboWorksheetCombo_Change();
    void cmdBack_Click();
    void cmdNext_Click();
    void cmdStart_Click();
    void cmdFinish_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    // The file dialog's settings as Browse prepares them.
    struct FileDialogSettings {
        QString FileName;
        int Flags = 0;
        QString Filter;
    };

    static constexpr int StepCount = 4;
    static constexpr int OFN_HIDEREADONLY = 0x4;
    static constexpr int OFN_FILEMUSTEXIST = 0x1000;

    // Wizard state.
    qint32 Result = 2;
    int CurrentStep = 0;
    QString ProjectName;
    resutil::ResFile *RFile = nullptr;
    std::unique_ptr<excel::Application> ExcelApp;
    excel::Workbook *Workbook = nullptr;
    excel::Worksheet *Worksheet = nullptr;
    bool FileMissing = false;
    QComboBox *WorksheetBox = nullptr;
    bool StepInitialised[StepCount] = {};

    // Controls.
    QWidget *Step[StepCount] = {};
    QLabel *lblTitle[StepCount] = {};
    QLabel *lblSubtitle[3] = {};
    QRadioButton *optImport = nullptr;
    QRadioButton *optExport = nullptr;
    QLineEdit *txtFilename = nullptr;
    QPushButton *cmdBrowse = nullptr;
    FileDialogSettings dlgExcelFile;
    QComboBox *cboWorksheetList = nullptr;
    QComboBox *cboWorksheetCombo = nullptr;
    QPushButton *cmdUseProjectName = nullptr;
    QPushButton *cmdStart = nullptr;
    CaptionedProgressBar *pbaProgress = nullptr;
    QPushButton *cmdHelp = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdBack = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdFinish = nullptr;

private:
    void buildControls();
    void chooseDirection(bool import);
    void setDirectionCaptions(int titleId, int startId);
};
