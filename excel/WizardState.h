#pragma once

#include "excel/SheetStep.h"
#include "transfer/UiText.h"
#include "exchange/ExchangeFormat.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The import/export wizard without its window: what the user chose, what
// the worksheet step offers, and how far the steps are prepared. The
// functions here are the wizard's rules; frmExcel shows their outcome.
namespace wizard {

inline constexpr int StepCount = 4;

enum class TransferDirection { None, Import, Export };

// One set per open wizard.
struct WizardState {
    // What ShowExcelDialog returns: 2 at the start, 1 once an import ran.
    qint32 Result = 2;
    int CurrentStep = 0;
    QString ProjectName;
    // The resource file's name, which translator files record.
    QString OriginalName;
    // The language translator files are exported from, as the project sets it.
    qint32 ProjectSourceLocale = 2057;
    TransferDirection Direction = TransferDirection::None;
    QString FileName;
    // The format of the file, as its name's extension said when the third
    // step was prepared.
    std::optional<exchange::Format> Format;
    // What the third step offered when it was last prepared.
    SheetStep Offer;
    // The user's choices in the third step.
    QString SheetName;
    qint32 SourceLocale = 0;
    qint32 TargetLocale = 0;
    bool UseFuzzy = false;
    // The named file did not exist when the third step was prepared (or the
    // export's last run created it anew): the export creates a new workbook.
    bool FileMissing = false;
    // An import has run since the wizard opened: whatever closes the wizard,
    // the editor shows the strings again.
    bool ImportRan = false;
    // The existing file the user agreed to have replaced.
    QString ReplaceApproved;
    std::array<bool, StepCount> StepInitialised{};
};

// The step order: where Next and Back lead from a step (0 for any other value).
int nextStep(int step);
int prevStep(int step);

// Whether the shown step is complete, so that Next may lead on.
bool stepComplete(const WizardState &state);

// The user's choices; each one that changes what the third step would
// offer marks it unprepared.
void chooseDirection(WizardState &state, TransferDirection direction);
void chooseFileName(WizardState &state, const QString &fileName);
// "Use Project Name": the project's name as the sheet's, where it may be.
void useProjectName(WizardState &state);
// Keeps the offer and the first choices of a prepared (or failed) third step.
void takeSheetStep(WizardState &state, SheetStep step);
// A translator file's export from another source language: the targets
// become the project's other languages, keeping the chosen one where it stays.
void chooseSourceLocale(WizardState &state, qint32 localeId, const QList<qint32> &projectLanguages);

// What closing the wizard returns: after an import the editor must show the
// strings again, whichever way the wizard ends.
void importStarted(WizardState &state);
void cancel(WizardState &state);

// Captions that follow the direction.
int titleId(TransferDirection direction);
int startCaptionId(TransferDirection direction);
// The third step's subtitle for a format.
int sheetStepSubtitleId(const std::optional<exchange::Format> &format);
// The file dialog's flags: an import takes only an existing file.
int browseFlags(TransferDirection direction);
inline constexpr int OFN_HIDEREADONLY = 0x4;
inline constexpr int OFN_FILEMUSTEXIST = 0x1000;

// Next on the file step refuses a name whose extension names no format.
std::optional<UiMessage> fileNameRefusal(const QString &fileName);
// Before an export replaces an existing file that keeps no other sheets (all
// but the spreadsheets): the question to ask, none when there is nothing to ask.
std::optional<UiText> replaceQuestion(const WizardState &state, const QString &fileName);

bool fileExists(const QString &path);

} // namespace wizard
