#pragma once

#include "excel/TransferRun.h"
#include "transfer/UiText.h"
#include "excel/WizardState.h"
#include "support/LgvFormLocalisation.h"

#include <QDialog>
#include <QString>

#include <memory>

class CaptionedProgressBar;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace resutil {
class ResFile;
}
namespace wizard {
class WizardTransfer;
}

// The import/export wizard: exchanges the string tables of one project's
// resource file with a worksheet of a workbook, in four steps (direction,
// file name, worksheet, start). The file name's extension chooses the
// format: workbooks and OpenDocument spreadsheets offer their sheets in the
// third step, translator files (XLIFF, PO) ask for their languages there,
// and CSV files and resource scripts have nothing to choose.
//
// The window lays out the steps and shows what its state (wizard::WizardState)
// and the third step's preparation (wizard::prepareSheetStep) say; the
// transfer (wizard::WizardTransfer) holds the workbook and runs Start.
class frmExcel : public QDialog, public LgvFormLocalisation {
    Q_OBJECT
public:
    explicit frmExcel(QWidget *parent = nullptr);
    ~frmExcel() override;

    // Runs the wizard modally for the project's resource file. Returns 1 when
    // an import was started, 2 when none was (cancelled, closed, export only),
    // 0 when the spreadsheet back end cannot be started. SourceLocale is the
    // language translator files are exported from.
    static qint32 ShowExcelDialog(const QString &ProjectName, const QString &ProjectDir, resutil::ResFile &RFile,
                                  qint32 SourceLocale = 2057);

    bool OkToGotoNextStep();
    int GetNextStep();
    int GetPrevStep();
    void InitStep(int StepIndex);
    void SetStep(int StepIndex);
    // Both return true when the run completed.
    bool DoExport();
    bool DoImport();
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
    void cboTargetLanguage_Click();
    void cboSourceLanguage_Click();
    void chkUseFuzzy_Click();
    void cmdBack_Click();
    void cmdNext_Click();
    void cmdStart_Click();
    void cmdFinish_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    const wizard::WizardState &State() const { return m_state; }
    // The transfer of the open wizard; none before ShowExcelDialog started it.
    const wizard::WizardTransfer *Transfer() const { return m_transfer.get(); }
    // The worksheet box of the chosen direction: the list for an import, the
    // editable box for an export; none before a direction is chosen.
    QComboBox *WorksheetBox() const;
    // True while Start's export or import is under way.
    bool TransferRunning() const { return m_run != nullptr; }

    // The file dialog's settings as Browse prepares them.
    struct FileDialogSettings {
        QString FileName;
        int Flags = 0;
        QString Filter;
    };

    static constexpr int StepCount = wizard::StepCount;

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
    QWidget *fraWorksheet = nullptr;   // the worksheet boxes and Use Project Name
    QWidget *fraLanguages = nullptr;   // the translator files' languages
    QLabel *lblTargetLanguage = nullptr;
    QComboBox *cboTargetLanguage = nullptr;
    QLabel *lblSourceLanguage = nullptr;
    QComboBox *cboSourceLanguage = nullptr;
    QCheckBox *chkUseFuzzy = nullptr;  // PO import: take the fuzzy entries too
    QLabel *lblSheetNote = nullptr;    // why there is nothing (more) to choose
    QPushButton *cmdStart = nullptr;
    CaptionedProgressBar *pbaProgress = nullptr;
    QPushButton *cmdHelp = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdBack = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdFinish = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

public:
    void reject() override;

private:
    // Start, Back, Next and Finish are off while a run is under way.
    class RunningControls {
    public:
        explicit RunningControls(frmExcel &form);
        ~RunningControls();
        RunningControls(const RunningControls &) = delete;
        RunningControls &operator=(const RunningControls &) = delete;

    private:
        frmExcel &m_form;
    };
    enum class CloseAfterRun { No, Cancel, Close };
    static constexpr const char *kMessageTitle = "Quill Resource String Editor";

    void buildControls();
    void connectControls();
    // What the state says, shown.
    void showDirection();
    void showNext();
    void showSheetStep();
    void showSheetStepTexts();
    void showTargetLanguages();
    void showMessage(const UiMessage &message);
    // A run that wrote or changed nothing: what was not done, then the library's reason.
    void refuse(int leadId, const QString &libraryReason);
    // The choice of the worksheet box, when it is the direction's.
    void takeSheetName(const QComboBox &box);
    // Before an export replaces an existing file that keeps no other sheets:
    // asks, once for each name. False on No.
    bool mayReplace(const QString &fileName);

    qm::Status runTransfer(const TransferRun::Job &job);
    void closeIfAsked();

    wizard::WizardState m_state;
    std::unique_ptr<wizard::WizardTransfer> m_transfer;
    resutil::ResFile *RFile = nullptr;

    TransferRun *m_run = nullptr; // the run under way
    bool m_lastRunStopped = false;
    CloseAfterRun m_closeAfterRun = CloseAfterRun::No;
};
