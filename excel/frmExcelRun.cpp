// Start: the export or import runs through the transfer on a worker thread
// while the window stays responsive; Cancel and the close box stop it.
#include "excel/frmExcel.h"

#include "excel/CaptionedProgressBar.h"
#include "excel/WizardTransfer.h"
#include "platform/resutil/ResFile.h"
#include "reviewstate/ReviewStates.h"
#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPushButton>

#include <utility>


namespace {

constexpr int kNothingWritten = 809;
constexpr int kNothingImported = 810;

// Restores the normal pointer however the run ends. The busy pointer, as the
// window still takes input (Cancel) while the transfer runs.
class Hourglass {
public:
    Hourglass() { QGuiApplication::setOverrideCursor(Qt::BusyCursor); }
    ~Hourglass() { QGuiApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass &) = delete;
    Hourglass &operator=(const Hourglass &) = delete;
};

// Progress of the end of an import, shown on the wizard.
class WizardFeedback : public TransferFeedback {
public:
    WizardFeedback(CaptionedProgressBar &bar, QString title) : m_bar(bar), m_title(std::move(title)) {}
    void setProgressCaption(const QString &caption) override { m_bar.SetCaption(caption); }
    void setProgressMaximum(int maximum) override { m_bar.SetMax(maximum); }
    void setProgressMinimum(int minimum) override { m_bar.SetMin(minimum); }
    void setProgressValue(int value) override { m_bar.SetValue(value); }
    void showMessage(const QString &text) override { win32::interaction().msgBox(text, win32::vbOKOnly, m_title); }

private:
    CaptionedProgressBar &m_bar;
    QString m_title;
};

} // namespace

void frmExcel::cmdStart_Click()
{
    qm::trap("cmdStart_Click", [&] {
        if (m_run)
            return;
        const Hourglass hourglass;
        const bool finishBefore = cmdFinish->isEnabled();
        bool completed = false;
        {
            const RunningControls running(*this);
            if (m_state.Direction == wizard::TransferDirection::Import) {
                completed = DoImport();
                // A stopped import changed nothing.
                if (!m_lastRunStopped)
                    wizard::importStarted(m_state);
            } else {
                completed = DoExport();
            }
        }
        // Only a completed run may look finished.
        if (!completed)
            pbaProgress->Reset();
        cmdFinish->setEnabled(completed || finishBefore);
        closeIfAsked();
    });
}

bool frmExcel::DoExport()
{
    bool completed = false;
    qm::trap(
        "DoExport",
        [&] {
            if (!m_transfer || !RFile)
                qm::raise(QStringLiteral("The wizard has no workbook application or resource file."));
            const bool workbook = m_state.Format && exchange::isWorkbook(*m_state.Format);
            if (!workbook) {
                if (!m_state.Format || !m_state.StepInitialised[2])
                    qm::raise(QStringLiteral("%1: the file's format and its sheet or languages are not chosen.")
                                  .arg(m_state.FileName));
                // The file may have appeared since the file step asked.
                if (!mayReplace(m_state.FileName))
                    return;
            }
            const wizard::WizardState choice = m_state;
            const resutil::ResStrings &strings = RFile->Strings();
            const ExcelTransfer::LanguageNamer names = wizard::languageNames(strings);
            wizard::WizardTransfer &transfer = *m_transfer;
            reviewstate::ReviewStates *states = reviewstate::ReviewStates::of(*RFile);
            const qint32 checkedAgainst = states ? states->sourceLanguage() : 0;
            const qm::Status status = runTransfer(
                [&](TransferFeedback &feedback) { return transfer.Export(choice, strings, names, feedback, states); });
            // The states' source is the editor's again once the file has its own.
            if (states)
                states->setSourceLanguage(checkedAgainst);
            if (workbook)
                m_state.FileMissing = transfer.FileMissing();
            if (status) {
                completed = true;
                return;
            }
            if (m_lastRunStopped)
                return;
            // A file that cannot be opened or saved (read-only, a full disk, a
            // missing folder) is told plainly; a cell that could not be
            // written is reported with the cell.
            if (workbook && !transfer.Details().isEmpty())
                qm::raise(status.error().message, status.error().where);
            refuse(kNothingWritten, status.errorString());
        },
        [&] { return m_transfer ? m_transfer->Details() : QString(); });
    return completed;
}

bool frmExcel::DoImport()
{
    bool completed = false;
    qm::trap("DoImport", [&] {
        if (!m_transfer || !RFile)
            qm::raise(QStringLiteral("The wizard has no resource file."));
        const bool workbook = m_state.Format && exchange::isWorkbook(*m_state.Format);
        if (!workbook && (!m_state.Format || !m_state.StepInitialised[2]))
            qm::raise(QStringLiteral("%1: the file's format and its sheet or language are not chosen.")
                          .arg(m_state.FileName));
        if (workbook && !m_transfer->Workbook())
            qm::raise(QStringLiteral("%1: the workbook is not open.").arg(m_state.FileName));
        // The run reads into its own list; the strings change only once it is complete.
        const wizard::WizardState choice = m_state;
        const resutil::ResStrings &current = RFile->Strings();
        wizard::WizardTransfer &transfer = *m_transfer;
        exchange::Imported imported;
        const qm::Status status = runTransfer([&](TransferFeedback &feedback) -> qm::Status {
            auto read = transfer.Import(choice, current, feedback);
            if (!read)
                return read.error();
            imported = std::move(read).value();
            return {};
        });
        if (m_lastRunStopped)
            return;
        if (!status) {
            // A workbook that cannot be read is reported; the other files are refused plainly.
            if (workbook)
                qm::raise(status.error().message, status.error().where);
            refuse(kNothingImported, status.errorString());
            return;
        }
        WizardFeedback feedback(*pbaProgress, QString::fromLatin1(kMessageTitle));
        const std::optional<UiMessage> notes =
            wizard::completeImport(RFile->Strings(), std::move(imported), *m_state.Format, feedback,
                                   reviewstate::ReviewStates::of(*RFile));
        completed = true;
        if (notes)
            showMessage(*notes);
    });
    return completed;
}

// While a transfer runs, only Cancel, Help and the close box act.
frmExcel::RunningControls::RunningControls(frmExcel &form) : m_form(form)
{
    for (QPushButton *button : {form.cmdStart, form.cmdBack, form.cmdNext, form.cmdFinish})
        button->setEnabled(false);
}

frmExcel::RunningControls::~RunningControls()
{
    m_form.cmdStart->setEnabled(true);
    m_form.cmdBack->setEnabled(m_form.m_state.CurrentStep > 0);
    m_form.showNext();
}

qm::Status frmExcel::runTransfer(const TransferRun::Job &job)
{
    TransferRun run(*pbaProgress, QString::fromLatin1(kMessageTitle));
    m_run = &run;
    m_lastRunStopped = false;
    struct Forget {
        frmExcel &form;
        ~Forget() { form.m_run = nullptr; }
    } forget{*this};
    const qm::Status status = run.run(job);
    m_lastRunStopped = run.stopRequested();
    return status;
}

void frmExcel::closeIfAsked()
{
    const CloseAfterRun close = std::exchange(m_closeAfterRun, CloseAfterRun::No);
    if (close == CloseAfterRun::Cancel)
        cmdCancel_Click();
    else if (close == CloseAfterRun::Close)
        this->close();
}

void frmExcel::closeEvent(QCloseEvent *event)
{
    if (m_run) {
        event->ignore();
        m_closeAfterRun = CloseAfterRun::Close;
        m_run->requestStop();
        return;
    }
    QDialog::closeEvent(event);
}

void frmExcel::reject()
{
    if (m_run) {
        m_closeAfterRun = CloseAfterRun::Close;
        m_run->requestStop();
        return;
    }
    QDialog::reject();
}
