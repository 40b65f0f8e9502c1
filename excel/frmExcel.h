#pragma once

#include "excel/TransferRun.h"
#include "exchange/ExchangeFormat.h"
#include "support/LgvFormLocalisation.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

class CaptionedProgressBar;
class QCheckBox;
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
// file name, worksheet, start). The file name's extension chooses the
// format: workbooks and OpenDocument spreadsheets offer their sheets in the
// third step, translator files (XLIFF, PO) ask for their languages there,
// and CSV files and resource scripts have nothing to choose.
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
    // True while Start's export or import is under way.
    bool TransferRunning() const { return m_run != nullptr; }

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
    // The opened workbook was changed in memory by a run that did not
    // complete: the next export reads it from its file again.
    bool WorkbookStale = false;
    // The export's table fits a worksheet of the chosen file's format.
    bool TableFits = true;
    // An import has run since the wizard opened: whatever closes the wizard,
    // the editor shows the strings again.
    bool ImportRan = false;
    // The format of the file, as its name's extension says when the third
    // step was prepared; none for an extension that names no format.
    std::optional<exchange::Format> TransferFormat;
    // The language translator files are exported from.
    qint32 SourceLocale = 2057;

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

    qm::Status runTransfer(const TransferRun::Job &job);
    void closeIfAsked();
    void buildControls();
    void chooseDirection(bool import);
    void setDirectionCaptions(int titleId, int startId);
    void setSheetStepTexts();
    // The third step for the formats that are not workbooks; false when it
    // could not be prepared (the user was told why).
    bool initExchangeStep(const QString &fileName);
    void fillTargetLanguages();
    bool sheetStepComplete() const;
    bool exportOther();
    bool importOther();
    // `libraryReason` is a library's message, shown in the UI language.
    void refuse(const QString &lead, const QString &libraryReason);
    // Before an export replaces an existing file that keeps no other sheets
    // (all but the spreadsheets): asks, once for each name. False on No.
    bool mayReplace(const QString &fileName);

    TransferRun *m_run = nullptr; // the run under way
    int m_sheetNoteId = 0;        // the UI string lblSheetNote shows, 0 for none
    bool m_lastRunStopped = false;
    CloseAfterRun m_closeAfterRun = CloseAfterRun::No;
    QString m_replaceApproved;    // the existing file the user agreed to replace
};
