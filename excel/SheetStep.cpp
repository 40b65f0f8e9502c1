#include "excel/SheetStep.h"

#include "transfer/TableLimits.h"
#include "excel/WizardState.h"
#include "excel/WizardTransfer.h"
#include "exchange/Exchange.h"
#include "platform/resutil/ResStrings.h"
#include "platform/win32/Interaction.h"

#include <QFileInfo>

namespace wizard {

namespace {

constexpr int kFileMissing = 478;          // "File does not exist."
constexpr int kNoProjectSheet = 479;       // "The file does not contain a worksheet with the"
constexpr int kNoProjectSheetEnd = 480;    // "same name as the Visual Basic project."
constexpr int kOneTable = 803;
constexpr int kScriptTables = 804;
constexpr int kNoTargetLanguage = 807;
constexpr int kFileNamesNoLanguage = 808;
constexpr int kChooseAnotherFile = 811;

UiMessage say(int id, int style) { return UiMessage{{uiString(id)}, style}; }

// A file that cannot be read: the library's reason, then what to do.
UiMessage unreadable(const QString &reason)
{
    return UiMessage{{libraryText(reason), uiString(kChooseAnotherFile)}, win32::vbExclamation};
}

void addOnce(QList<qint32> &locales, qint32 localeId)
{
    if (!locales.contains(localeId))
        locales.append(localeId);
}

// CSV, .rc, XLIFF and PO: no sheets; the translator files ask for their languages.
SheetStep prepareExchangeStep(const WizardState &state, SheetStep step, const resutil::ResStrings *strings)
{
    const exchange::Format format = *step.Format;
    const bool import = state.Direction == TransferDirection::Import;
    if (import && step.FileMissing) {
        step.Messages.append(say(kFileMissing, win32::vbOKOnly));
        return step;
    }
    if (!exchange::isTranslation(format)) {
        step.Note = format == exchange::Format::Rc
            ? uiString(kScriptTables)
            : uiString(kOneTable, {QFileInfo(state.FileName).suffix().toLower()});
        step.Prepared = true;
        return step;
    }
    const QList<qint32> languages = strings ? strings->Languages() : QList<qint32>();
    step.OffersSource = !import;
    step.OffersFuzzy = import && format == exchange::Format::Po;
    if (import) {
        // The file's own language comes first and is chosen; the project's follow.
        auto target = exchange::translationTarget(state.FileName, format);
        if (!target) {
            step.Messages.append(unreadable(target.errorString()));
            return step;
        }
        if (target.value() != 0)
            step.TargetLocales.append(target.value());
        for (qint32 localeId : languages)
            addOnce(step.TargetLocales, localeId);
        step.TargetLocale = target.value();
        if (target.value() == 0)
            step.Note = uiString(kFileNamesNoLanguage);
    } else {
        // The project's source leads when the project has no text in it.
        if (!languages.contains(state.ProjectSourceLocale))
            step.SourceLocales.append(state.ProjectSourceLocale);
        for (qint32 localeId : languages)
            addOnce(step.SourceLocales, localeId);
        step.SourceLocale = state.ProjectSourceLocale;
        offerTargets(step, languages, step.SourceLocale, 0);
    }
    step.Prepared = true;
    return step;
}

} // namespace

void offerTargets(SheetStep &step, const QList<qint32> &languages, qint32 source, qint32 before)
{
    step.TargetLocales.clear();
    for (qint32 localeId : languages)
        if (localeId != source)
            addOnce(step.TargetLocales, localeId);
    if (before != 0 && step.TargetLocales.contains(before))
        step.TargetLocale = before;
    else
        step.TargetLocale = step.TargetLocales.size() == 1 ? step.TargetLocales.front() : 0;
    if (step.TargetLocales.isEmpty())
        step.Note = uiString(kNoTargetLanguage);
    else
        step.Note.reset();
}

qm::Result<SheetStep> prepareSheetStep(const WizardState &state, WizardTransfer &transfer,
                                       const resutil::ResStrings *strings)
{
    if (state.Direction == TransferDirection::None)
        return qm::makeError(QStringLiteral("No direction has been chosen."));
    // What an earlier preparation found goes first, so a failure here leaves
    // no workbook for Start to use.
    transfer.ForgetWorkbook();
    SheetStep step;
    step.Format = exchange::formatForFileName(state.FileName);
    if (!step.Format) {
        step.Messages.append(*fileNameRefusal(state.FileName));
        return step;
    }
    step.FileMissing = !fileExists(state.FileName);
    if (!exchange::hasSheets(*step.Format))
        return prepareExchangeStep(state, std::move(step), strings);

    if (!step.FileMissing) {
        auto names = transfer.OpenSheets(state.FileName, *step.Format);
        if (!names) {
            if (exchange::isWorkbook(*step.Format))
                return names.error();
            step.Messages.append(unreadable(names.errorString()));
            return step;
        }
        step.SheetNames = names.value();
    }
    step.Prepared = true;
    if (state.Direction == TransferDirection::Import) {
        if (step.FileMissing) {
            step.Messages.append(say(kFileMissing, win32::vbOKOnly));
        } else if (step.SheetNames.contains(state.ProjectName)) {
            step.SheetName = state.ProjectName;
            step.UseProjectName = true;
        } else {
            // The user picks a sheet from the list.
            step.Messages.append(UiMessage{{uiString(kNoProjectSheet), uiString(kNoProjectSheetEnd)},
                                           win32::vbExclamation});
        }
        return step;
    }
    step.SheetName = state.ProjectName;
    step.UseProjectName = true;
    // An .ods sheet holds every table a resource file can have; a workbook's
    // limits are found now, not after the whole table was written.
    if (exchange::isWorkbook(*step.Format)) {
        const ExcelTransfer::TableSize size = strings ? ExcelTransfer::exportedSize(*strings) : ExcelTransfer::TableSize{};
        const QList<UiText> tooLarge = ExcelTransfer::tableDoesNotFitTexts(size, transfer.SaveFormat(state.FileName));
        step.TableFits = tooLarge.isEmpty();
        if (!step.TableFits)
            step.Messages.append(UiMessage{tooLarge, win32::vbExclamation});
    }
    return step;
}

} // namespace wizard
