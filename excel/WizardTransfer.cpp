#include "excel/WizardTransfer.h"

#include "transfer/ExcelImport.h"
#include "transfer/LanguageName.h"
#include "transfer/TableLimits.h"
#include "excel/WizardState.h"
#include "platform/excel/Application.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/resutil/ResStrings.h"
#include "exchange/UnitStates.h"
#include "reviewstate/ReviewStates.h"
#include "platform/win32/Interaction.h"
#include "uistrings/LgvStringModule.h"

#include <QHash>

#include <utility>

namespace wizard {

namespace {

// A message box shows at most this many of an import's notes.
constexpr int kNotesShown = 20;
constexpr int kImportNotes = 812;
constexpr int kMoreNotes = 813;

// The export goes into the file as it is now: a workbook another program
// wrote since it was read here (or since the last Start wrote it), or one
// that appeared where there was none, is read again; an earlier run that
// failed leaves its copy stale as well.
qm::Status readAgainIfChanged(ExcelTransfer::ExportTarget &target, bool stale)
{
    const bool exists = fileExists(target.fileName);
    bool again = stale && !target.fileMissing;
    if (target.workbook && !target.workbook->FullName().isEmpty())
        again = again || target.workbook->changedOnDisk();
    else if (target.fileMissing)
        again = exists;
    if (!again || (target.fileMissing && !exists))
        return {};
    auto book = target.books.Open(target.fileName);
    if (!book)
        return book.error();
    target.workbook = book.value();
    target.fileMissing = false;
    return {};
}

exchange::Options exchangeOptions(const WizardState &state)
{
    exchange::Options options;
    options.format = *state.Format;
    options.sheetName = state.SheetName;
    options.sourceLocale = state.SourceLocale;
    options.targetLocale = state.TargetLocale;
    options.useFuzzy = options.format == exchange::Format::Po && state.UseFuzzy;
    options.original = state.OriginalName;
    return options;
}

qm::Error noFormat(const WizardState &state)
{
    return qm::makeError(QStringLiteral("%1: the file's format is not known.").arg(state.FileName));
}

} // namespace

qm::Result<std::unique_ptr<WizardTransfer>> WizardTransfer::Start()
{
    auto app = excel::Application::Create();
    if (!app)
        return app.error();
    return std::unique_ptr<WizardTransfer>(new WizardTransfer(std::move(app).value()));
}

WizardTransfer::WizardTransfer(std::unique_ptr<excel::Application> app) : m_app(std::move(app)) {}

WizardTransfer::~WizardTransfer() { Quit(); }

void WizardTransfer::Quit()
{
    ForgetWorkbook();
    if (m_app)
        m_app->Quit();
}

void WizardTransfer::ForgetWorkbook()
{
    // A workbook opened before stays with the back end until it quits.
    m_workbook = nullptr;
    m_worksheet = nullptr;
    m_stale = false;
    m_details.clear();
}

qm::Result<QStringList> WizardTransfer::OpenSheets(const QString &fileName, exchange::Format format)
{
    if (!exchange::isWorkbook(format))
        return exchange::odsSheetNames(fileName);
    auto book = m_app->Workbooks().Open(fileName);
    if (!book)
        return book.error();
    m_workbook = book.value();
    // Only the names: a sheet is read when the transfer asks for it.
    return m_workbook->Worksheets().Names();
}

excel::FileFormat WizardTransfer::SaveFormat(const QString &fileName) const
{
    return m_workbook ? ExcelTransfer::formatOf(*m_workbook) : excel::formatForFileName(fileName);
}

qm::Status WizardTransfer::Export(const WizardState &state, const resutil::ResStrings &strings,
                                  const ExcelTransfer::LanguageNamer &languageName, TransferFeedback &feedback,
                                  reviewstate::ReviewStates *states)
{
    m_details.clear();
    if (!state.Format)
        return noFormat(state);
    if (exchange::isWorkbook(*state.Format))
        return exportWorkbook(state, strings, languageName, feedback);
    exchange::Options options = exchangeOptions(state);
    if (states && states->readable() && exchange::isTranslation(*state.Format))
        exchange::describeUnits(*states, options);
    return exchange::exportFile(strings, state.FileName, options, languageName, feedback);
}

qm::Status WizardTransfer::exportWorkbook(const WizardState &state, const resutil::ResStrings &strings,
                                          const ExcelTransfer::LanguageNamer &languageName,
                                          TransferFeedback &feedback)
{
    ExcelTransfer::ExportTarget target(m_app->Workbooks());
    target.workbook = m_workbook;
    target.fileMissing = state.FileMissing;
    target.fileName = state.FileName;
    target.sheetName = state.SheetName;
    qm::Status status = readAgainIfChanged(target, m_stale && m_workbook);
    if (status)
        status = ExcelTransfer::exportStrings(target, strings, languageName, feedback);
    m_workbook = target.workbook;
    m_worksheet = target.worksheet;
    m_fileMissing = target.fileMissing;
    // A failed or stopped run may have added or cleared a sheet in memory;
    // the next run starts again from the file, which it left as it was.
    if (!m_fileMissing && m_workbook)
        m_stale = !status;
    m_details = target.details();
    return status;
}

qm::Result<exchange::Imported> WizardTransfer::Import(const WizardState &state, const resutil::ResStrings &current,
                                                      TransferFeedback &feedback)
{
    if (!state.Format)
        return noFormat(state);
    if (!exchange::isWorkbook(*state.Format))
        return exchange::importFile(state.FileName, current, exchangeOptions(state), feedback);
    if (!m_workbook)
        return qm::makeError(QStringLiteral("%1: the workbook is not open.").arg(state.FileName));
    excel::Worksheet *sheet = nullptr;
    auto read = ExcelTransfer::readStrings(*m_workbook, state.SheetName, feedback, &sheet);
    m_worksheet = sheet;
    if (!read)
        return read.error();
    exchange::Imported imported;
    imported.entries = std::move(read).value();
    return imported;
}

ExcelTransfer::LanguageNamer languageNames(const resutil::ResStrings &strings)
{
    QHash<qint32, QString> names;
    for (qint32 localeId : strings.Languages())
        names.insert(localeId, ExcelTransfer::languageName(localeId));
    return [names](qint32 localeId) { return names.value(localeId); };
}

std::optional<UiMessage> completeImport(resutil::ResStrings &strings, exchange::Imported imported,
                                        exchange::Format format, TransferFeedback &feedback,
                                        reviewstate::ReviewStates *states)
{
    ExcelTransfer::completeImport(strings, std::move(imported.entries), feedback);
    // A unit whose state cannot be kept still has its text: the states are an addition.
    if (states && states->readable() && imported.targetLocale != 0)
        (void)exchange::applyUnitStates(*states, imported.targetLocale, imported);
    if (exchange::isTabular(format) || imported.messages.isEmpty())
        return std::nullopt;
    UiMessage notes{{uiString(kImportNotes)}, win32::vbOKOnly};
    for (const QString &note : imported.messages.mid(0, kNotesShown))
        notes.lines.append(libraryText(note));
    if (imported.messages.size() > kNotesShown)
        notes.lines.append(uiString(kMoreNotes, {QString::number(imported.messages.size() - kNotesShown)}));
    return notes;
}

} // namespace wizard
