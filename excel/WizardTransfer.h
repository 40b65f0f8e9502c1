#pragma once

#include "transfer/ExcelExport.h"
#include "transfer/TransferFeedback.h"
#include "transfer/UiText.h"
#include "exchange/Exchange.h"
#include "platform/common/Result.h"
#include "platform/excel/model/Workbook.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace excel {
class Application;
class Worksheet;
} // namespace excel
namespace resutil {
class ResStrings;
}

namespace reviewstate {
class ReviewStates;
}

namespace wizard {

struct WizardState;

// The wizard's side of the files: the spreadsheet back end and the workbook
// it holds for as long as the wizard is open, and the runs of the export
// and the import. The runs take a copy of the state, talk only through
// their feedback, and may run on a worker thread.
class WizardTransfer {
public:
    // Fails when the back end cannot be initialised (no "Excel").
    static qm::Result<std::unique_ptr<WizardTransfer>> Start();
    ~WizardTransfer();
    WizardTransfer(const WizardTransfer &) = delete;
    WizardTransfer &operator=(const WizardTransfer &) = delete;

    // Releases the back end and its workbooks without saving. Idempotent.
    void Quit();

    // The third step: forgets what an earlier preparation opened, then opens
    // the existing file's workbook, or lists the sheets of an .ods file.
    void ForgetWorkbook();
    qm::Result<QStringList> OpenSheets(const QString &fileName, exchange::Format format);
    // The format a save keeps for the opened workbook, else the one the name gives.
    excel::FileFormat SaveFormat(const QString &fileName) const;

    // Writes every string into the chosen file. On failure, Details() names
    // the cell being written, if any.
    // The translator formats carry the review states when there are any.
    qm::Status Export(const WizardState &state, const resutil::ResStrings &strings,
                      const ExcelTransfer::LanguageNamer &languageName, TransferFeedback &feedback,
                      reviewstate::ReviewStates *states = nullptr);
    // Reads the chosen sheet or file completely; nothing changes here.
    qm::Result<exchange::Imported> Import(const WizardState &state, const resutil::ResStrings &current,
                                          TransferFeedback &feedback);

    excel::Workbook *Workbook() const { return m_workbook; }
    excel::Worksheet *Worksheet() const { return m_worksheet; }
    // After an export: whether the next one creates the workbook anew.
    bool FileMissing() const { return m_fileMissing; }
    QString Details() const { return m_details; }

private:
    explicit WizardTransfer(std::unique_ptr<excel::Application> app);
    qm::Status exportWorkbook(const WizardState &state, const resutil::ResStrings &strings,
                              const ExcelTransfer::LanguageNamer &languageName, TransferFeedback &feedback);

    std::unique_ptr<excel::Application> m_app;
    excel::Workbook *m_workbook = nullptr;
    excel::Worksheet *m_worksheet = nullptr;
    bool m_fileMissing = false;
    // The opened workbook was changed in memory by a run that did not
    // complete: the next export reads it from its file again.
    bool m_stale = false;
    QString m_details;
};

// The system's names of the strings' languages, looked up now (on the
// window's thread, whose locale data they come from) for a run to use.
ExcelTransfer::LanguageNamer languageNames(const resutil::ResStrings &strings);

// The end of a complete import: the strings become the ones read, and the
// progress says so. Returns the notes to show (none for the tables, whose
// cell messages were shown while the file was read). The translator formats'
// states (a PO entry marked fuzzy: to review) go into `states`.
std::optional<UiMessage> completeImport(resutil::ResStrings &strings, exchange::Imported imported,
                                        exchange::Format format, TransferFeedback &feedback,
                                        reviewstate::ReviewStates *states = nullptr);

} // namespace wizard
