// The wizard's steps and the handlers of their controls: each one takes the
// user's input into the state and shows what the state then says.
#include "excel/frmExcel.h"

#include "excel/UiTextShown.h"
#include "excel/WizardTransfer.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"
#include "support/HelpModule.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

using wizard::TransferDirection;

namespace {

// The workbooks first, then every other format the extension may name.
const QString kFilter = QStringLiteral(
    "Excel Files (*.xls *.xlsx)|*.xls;*.xlsx|OpenDocument Spreadsheets (*.ods)|*.ods|"
    "CSV and Tab-Separated Text (*.csv *.tsv *.txt)|*.csv;*.tsv;*.txt|Resource Scripts (*.rc)|*.rc|"
    "XLIFF Files (*.xlf *.xliff)|*.xlf;*.xliff|Gettext PO Files (*.po)|*.po|All Files (*.*)|*.*");

// "Name (*.x)|*.x|..." as the file dialog's list of "Name (*.x)" entries.
QStringList dialogFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.append(parts[i]);
    return filters;
}

qint32 chosenLocale(const QComboBox &box) { return box.currentIndex() >= 0 ? box.currentData().toInt() : 0; }

} // namespace

bool frmExcel::OkToGotoNextStep()
{
    bool ok = false;
    qm::trap("frmExcel.OkToGotoNextStep", [&] { ok = wizard::stepComplete(m_state); });
    return ok;
}

int frmExcel::GetNextStep()
{
    int next = 0;
    qm::trap("frmExcel.GetNextStep", [&] { next = wizard::nextStep(m_state.CurrentStep); });
    return next;
}

int frmExcel::GetPrevStep()
{
    int previous = 0;
    qm::trap("frmExcel.GetPrevStep", [&] { previous = wizard::prevStep(m_state.CurrentStep); });
    return previous;
}

void frmExcel::InitStep(int /*Step*/)
{
    qm::trap("frmExcel.InitStep", [&] {
        if (m_state.CurrentStep == 0) {
            // Radio buttons cannot be cleared while they exclude each other.
            for (QRadioButton *option : {optImport, optExport}) {
                option->setAutoExclusive(false);
                option->setChecked(false);
                option->setAutoExclusive(true);
            }
            m_state.Direction = TransferDirection::None;
        } else if (m_state.CurrentStep == 2) {
            if (!m_transfer)
                qm::raise(QStringLiteral("The wizard has no workbook application."));
            auto step = wizard::prepareSheetStep(m_state, *m_transfer, RFile ? &RFile->Strings() : nullptr);
            if (!step) {
                // Nothing of an earlier preparation is left for Start to use.
                wizard::SheetStep none;
                none.Format = exchange::formatForFileName(m_state.FileName);
                wizard::takeSheetStep(m_state, std::move(none));
                showSheetStep();
                qm::raise(step.errorString());
            }
            wizard::takeSheetStep(m_state, step.value());
            showSheetStep();
            for (const UiMessage &message : step->Messages)
                showMessage(message);
            // A step that could not be prepared is prepared again on its next visit.
            return;
        }
        m_state.StepInitialised[m_state.CurrentStep] = true;
    });
}

void frmExcel::SetStep(int StepIndex)
{
    qm::trap("frmExcel.SetStep", [&] {
        if (StepIndex < 0 || StepIndex >= StepCount)
            qm::raise(QStringLiteral("There is no step %1.").arg(StepIndex));
        m_state.CurrentStep = StepIndex;
        for (int i = 0; i < StepCount; ++i)
            Step[i]->setVisible(i == StepIndex);
        Step[StepIndex]->raise();
        if (!m_state.StepInitialised[StepIndex])
            InitStep(StepIndex);
        cmdBack->setEnabled(StepIndex > 0);
        showNext();
        cmdFinish->setEnabled(false);
    });
}

void frmExcel::optImport_Click()
{
    qm::trap("optImport_Click", [&] {
        wizard::chooseDirection(m_state, TransferDirection::Import);
        showNext();
        showDirection();
    });
}

void frmExcel::optExport_Click()
{
    qm::trap("optExport_Click", [&] {
        wizard::chooseDirection(m_state, TransferDirection::Export);
        showNext();
        showDirection();
    });
}

void frmExcel::txtFilename_Change()
{
    qm::trap("txtFilename_Change", [&] {
        wizard::chooseFileName(m_state, txtFilename->text());
        showNext();
    });
}

void frmExcel::cmdBrowse_Click()
{
    qm::trap("cmdBrowse_Click", [&] {
        const bool import = m_state.Direction == TransferDirection::Import;
        dlgExcelFile.FileName = m_state.FileName;
        dlgExcelFile.Flags = wizard::browseFlags(m_state.Direction);
        dlgExcelFile.Filter = kFilter;
        win32::FileDialogRequest request;
        request.initialPath = dlgExcelFile.FileName;
        request.filters = dialogFilters(dlgExcelFile.Filter);
        request.confirmOverwrite = false;
        request.fileMustExist = (dlgExcelFile.Flags & wizard::OFN_FILEMUSTEXIST) != 0;
        const QString chosen = import ? win32::interaction().getOpenFileName(request)
                                      : win32::interaction().getSaveFileName(request);
        // The dialog cannot tell a spreadsheet, whose other sheets stay, from a
        // file the export replaces: the wizard asks about the latter itself.
        if (chosen.isEmpty() || !mayReplace(chosen))
            return;
        dlgExcelFile.FileName = chosen;
        txtFilename->setText(chosen);
    });
}

void frmExcel::cmdUseProjectName_Click()
{
    qm::trap("cmdUseProjectName_Click", [&] {
        QComboBox *box = WorksheetBox();
        if (!box)
            return;
        wizard::useProjectName(m_state);
        {
            const QSignalBlocker quiet(box);
            if (box->isEditable())
                box->setEditText(m_state.SheetName);
            else
                box->setCurrentIndex(box->findText(m_state.SheetName, Qt::MatchExactly | Qt::MatchCaseSensitive));
        }
        showNext();
    });
}

void frmExcel::takeSheetName(const QComboBox &box)
{
    if (&box == WorksheetBox())
        m_state.SheetName = box.currentText();
}

void frmExcel::cboWorksheetList_Click()
{
    qm::trap("cboWorksheetList_Click", [&] {
        takeSheetName(*cboWorksheetList);
        showNext();
    });
}

void frmExcel::cboWorksheetCombo_Click()
{
    qm::trap("cboWorksheetCombo_Click", [&] {
        takeSheetName(*cboWorksheetCombo);
        showNext();
    });
}

void frmExcel::cboWorksheetCombo_Change()
{
    qm::trap("cboWorksheetCombo_Change", [&] {
        takeSheetName(*cboWorksheetCombo);
        showNext();
    });
}

void frmExcel::cboTargetLanguage_Click()
{
    qm::trap("cboTargetLanguage_Click", [&] {
        m_state.TargetLocale = chosenLocale(*cboTargetLanguage);
        showNext();
    });
}

void frmExcel::cboSourceLanguage_Click()
{
    qm::trap("cboSourceLanguage_Click", [&] {
        const QList<qint32> languages = RFile ? RFile->Strings().Languages() : QList<qint32>();
        wizard::chooseSourceLocale(m_state, chosenLocale(*cboSourceLanguage), languages);
        if (m_state.Direction == TransferDirection::Export)
            showTargetLanguages();
        showNext();
    });
}

void frmExcel::chkUseFuzzy_Click()
{
    qm::trap("chkUseFuzzy_Click", [&] { m_state.UseFuzzy = chkUseFuzzy->isChecked(); });
}

void frmExcel::cmdBack_Click()
{
    qm::trap("cmdBack_Click", [&] { SetStep(GetPrevStep()); });
}

void frmExcel::cmdNext_Click()
{
    qm::trap("cmdNext_Click", [&] {
        if (!OkToGotoNextStep())
            return;
        if (m_state.CurrentStep == 1) {
            // A name whose extension names no format goes no further.
            if (const auto refusal = wizard::fileNameRefusal(m_state.FileName)) {
                showMessage(*refusal);
                txtFilename->setFocus();
                return;
            }
            if (!mayReplace(m_state.FileName)) {
                txtFilename->setFocus();
                return;
            }
        }
        SetStep(GetNextStep());
    });
}

void frmExcel::cmdFinish_Click()
{
    qm::trap("cmdFinish_Click", [&] { hide(); });
}

void frmExcel::cmdCancel_Click()
{
    qm::trap("cmdCancel_Click", [&] {
        if (m_run) {
            // The run stops at its next cell; the wizard closes once it has.
            m_closeAfterRun = CloseAfterRun::Cancel;
            m_run->requestStop();
            return;
        }
        wizard::cancel(m_state);
        hide();
    });
}

void frmExcel::cmdHelp_Click()
{
    qm::trap("cmdHelp_Click", [&] { HelpModule::HtmlHelp(this, HelpModule::HH_HELP_CONTEXT, HelpModule::kTopicExcel); });
}

bool frmExcel::mayReplace(const QString &fileName)
{
    const std::optional<UiText> question = wizard::replaceQuestion(m_state, fileName);
    if (!question)
        return true;
    if (win32::interaction().msgBox(shownText(*question), win32::vbYesNo | win32::vbExclamation | win32::vbDefaultButton2,
                                    QString::fromLatin1(kMessageTitle))
        != win32::vbYes)
        return false;
    m_state.ReplaceApproved = fileName;
    return true;
}
