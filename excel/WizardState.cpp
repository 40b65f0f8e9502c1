#include "excel/WizardState.h"

#include "platform/win32/Interaction.h"

#include <QDir>
#include <QFileInfo>

namespace wizard {

namespace {

constexpr int kUnknownExtension = 800;
constexpr int kReplaceFile = 635;   // "The file %0 already exists. Replace it with the exported strings?"
constexpr int kReplaceTables = 636; // an .rc keeps everything but its string tables

bool offersSheets(const std::optional<exchange::Format> &format)
{
    return !format || exchange::hasSheets(*format);
}

} // namespace

bool fileExists(const QString &path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

int nextStep(int step)
{
    static const int nextOf[StepCount] = {1, 2, 3, 3};
    return step >= 0 && step < StepCount ? nextOf[step] : 0;
}

int prevStep(int step)
{
    static const int previousOf[StepCount] = {0, 0, 1, 2};
    return step >= 0 && step < StepCount ? previousOf[step] : 0;
}

namespace {

bool sheetStepComplete(const WizardState &state)
{
    if (!state.StepInitialised[2])
        return false;
    const bool import = state.Direction == TransferDirection::Import;
    if (offersSheets(state.Format))
        return state.Direction != TransferDirection::None && !state.SheetName.isEmpty()
            && (import || state.Offer.TableFits);
    if (!exchange::isTranslation(*state.Format))
        return true;
    if (import)
        return state.TargetLocale != 0;
    return state.TargetLocale != 0 && state.SourceLocale != 0 && state.TargetLocale != state.SourceLocale;
}

} // namespace

bool stepComplete(const WizardState &state)
{
    switch (state.CurrentStep) {
    case 0:
        return state.Direction != TransferDirection::None;
    case 1:
        return !state.FileName.isEmpty()
            && (state.Direction != TransferDirection::Import || fileExists(state.FileName));
    case 2:
        return sheetStepComplete(state);
    default:
        return false;
    }
}

void chooseDirection(WizardState &state, TransferDirection direction)
{
    state.Direction = direction;
    state.StepInitialised[2] = false;
}

void chooseFileName(WizardState &state, const QString &fileName)
{
    state.FileName = fileName;
    state.StepInitialised[2] = false;
}

void useProjectName(WizardState &state)
{
    // The list of an import holds only the workbook's sheets.
    if (state.Direction == TransferDirection::Export || state.Offer.SheetNames.contains(state.ProjectName))
        state.SheetName = state.ProjectName;
}

void takeSheetStep(WizardState &state, SheetStep step)
{
    state.Format = step.Format;
    state.FileMissing = step.FileMissing;
    state.SheetName = step.SheetName;
    state.SourceLocale = step.SourceLocale;
    state.TargetLocale = step.TargetLocale;
    state.StepInitialised[2] = step.Prepared;
    state.Offer = std::move(step);
}

void chooseSourceLocale(WizardState &state, qint32 localeId, const QList<qint32> &projectLanguages)
{
    state.SourceLocale = localeId;
    if (state.Direction != TransferDirection::Export)
        return;
    offerTargets(state.Offer, projectLanguages, localeId, state.TargetLocale);
    state.TargetLocale = state.Offer.TargetLocale;
}

void importStarted(WizardState &state)
{
    state.ImportRan = true;
    state.Result = 1;
}

void cancel(WizardState &state) { state.Result = state.ImportRan ? 1 : 2; }

int titleId(TransferDirection direction)
{
    switch (direction) {
    case TransferDirection::Import:
        return 484;
    case TransferDirection::Export:
        return 482;
    case TransferDirection::None:
        break;
    }
    return 452;
}

int startCaptionId(TransferDirection direction)
{
    switch (direction) {
    case TransferDirection::Import:
        return 483;
    case TransferDirection::Export:
        return 481;
    case TransferDirection::None:
        break;
    }
    return 454;
}

int sheetStepSubtitleId(const std::optional<exchange::Format> &format)
{
    constexpr int kSelectWorksheet = 456;
    constexpr int kSelectLanguages = 801;
    constexpr int kNoWorksheet = 802;
    if (offersSheets(format))
        return kSelectWorksheet;
    return exchange::isTranslation(*format) ? kSelectLanguages : kNoWorksheet;
}

int browseFlags(TransferDirection direction)
{
    return direction == TransferDirection::Import ? OFN_FILEMUSTEXIST | OFN_HIDEREADONLY : OFN_HIDEREADONLY;
}

std::optional<UiMessage> fileNameRefusal(const QString &fileName)
{
    if (exchange::formatForFileName(fileName))
        return std::nullopt;
    return UiMessage{{uiString(kUnknownExtension, {fileName})}, win32::vbExclamation};
}

std::optional<UiText> replaceQuestion(const WizardState &state, const QString &fileName)
{
    if (state.Direction != TransferDirection::Export || !fileExists(fileName) || fileName == state.ReplaceApproved)
        return std::nullopt;
    const std::optional<exchange::Format> format = exchange::formatForFileName(fileName);
    if (offersSheets(format))
        return std::nullopt;
    return uiString(*format == exchange::Format::Rc ? kReplaceTables : kReplaceFile, {QDir::toNativeSeparators(fileName)});
}

} // namespace wizard
