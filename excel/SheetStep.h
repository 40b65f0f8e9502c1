#pragma once

#include "transfer/UiText.h"
#include "exchange/ExchangeFormat.h"
#include "platform/common/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace resutil {
class ResStrings;
}

namespace wizard {

struct WizardState;
class WizardTransfer;

// What the third step offers for the chosen file, by its format: the sheets
// of a workbook or .ods file, the languages of a translator file (XLIFF,
// PO), or nothing to choose (CSV, .rc).
struct SheetStep {
    // The format the file name's extension names; none for an unknown one.
    std::optional<exchange::Format> Format;
    // False: the step stays unprepared, and one of Messages says why.
    bool Prepared = false;
    // The file did not exist when the step was prepared.
    bool FileMissing = false;
    QStringList SheetNames;
    // The sheet chosen at first: the project's sheet on import, the
    // project's name on export; empty for none.
    QString SheetName;
    bool UseProjectName = false;  // "Use Project Name" is enabled
    // The export's table fits a worksheet of the chosen workbook format.
    bool TableFits = true;
    // Translator files: the languages offered and the one chosen at first (0: none).
    QList<qint32> SourceLocales;
    qint32 SourceLocale = 0;
    QList<qint32> TargetLocales;
    qint32 TargetLocale = 0;
    bool OffersSource = false;  // exports only
    bool OffersFuzzy = false;   // PO imports only
    // Why there is nothing (more) to choose, shown under the boxes.
    std::optional<UiText> Note;
    // Shown once, in this order, when the step has been prepared.
    QList<UiMessage> Messages;
};

// Prepares the third step for the state's direction and file name: opens
// the file through the transfer and says what the step offers. Whatever the
// user can act on (a missing file, no sheet of the project's name, a table
// too large for the format, a file that cannot be read) is one of the
// step's messages; an error is an unexpected failure, for the error report.
qm::Result<SheetStep> prepareSheetStep(const WizardState &state, WizardTransfer &transfer,
                                       const resutil::ResStrings *strings);

// The target languages an export to a translator file offers: the
// project's languages but the source. `before` stays chosen where it is
// offered; a single one is chosen at once.
void offerTargets(SheetStep &step, const QList<qint32> &languages, qint32 source, qint32 before);

} // namespace wizard
