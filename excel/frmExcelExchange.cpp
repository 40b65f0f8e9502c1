// The wizard's third step and its transfers for the formats that are not
// workbooks: OpenDocument spreadsheets, CSV, resource scripts, XLIFF and PO.
#include "excel/frmExcel.h"

#include "excel/CaptionedProgressBar.h"
#include "transfer/LanguageName.h"
#include "exchange/Exchange.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"
#include "support/LibraryMessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {

const QString kTitle = QStringLiteral("Quill Resource String Editor");
const QString kCrLf = QStringLiteral("\r\n");
// A message box shows at most this many of an import's notes.
constexpr int kNotesShown = 20;

constexpr int kSelectWorksheet = 456;
constexpr int kUnknownExtension = 800;
constexpr int kSelectLanguages = 801;
constexpr int kNoWorksheet = 802;
constexpr int kOneTable = 803;
constexpr int kScriptTables = 804;
constexpr int kNoTargetLanguage = 807;
constexpr int kFileNamesNoLanguage = 808;
constexpr int kNothingWritten = 809;
constexpr int kNothingImported = 810;
constexpr int kChooseAnotherFile = 811;
constexpr int kImportNotes = 812;
constexpr int kMoreNotes = 813;
constexpr int kReplaceFile = 635;   // "The file %0 already exists. Replace it with the exported strings?"
constexpr int kReplaceTables = 636; // an .rc keeps everything but its string tables

bool fileExists(const QString &path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

QString languageLabel(qint32 localeId)
{
    const QString name = ExcelTransfer::languageName(localeId);
    return name.isEmpty() ? QString::number(localeId) : QStringLiteral("%1 (%2)").arg(name, QString::number(localeId));
}

void addLanguage(QComboBox &box, qint32 localeId)
{
    if (box.findData(localeId) < 0)
        box.addItem(languageLabel(localeId), localeId);
}

qint32 chosenLocale(const QComboBox &box)
{
    return box.currentIndex() >= 0 ? box.currentData().toInt() : 0;
}

} // namespace

void frmExcel::setSheetStepTexts()
{
    const bool sheets = !TransferFormat || exchange::hasSheets(*TransferFormat);
    const bool translation = TransferFormat && exchange::isTranslation(*TransferFormat);
    lgv_SetText(*lblSubtitle[2], sheets ? kSelectWorksheet : translation ? kSelectLanguages : kNoWorksheet);
    fraWorksheet->setVisible(sheets);
    fraLanguages->setVisible(translation);
    if (sheets)
        m_sheetNoteId = 0;
    else if (!translation)
        m_sheetNoteId = *TransferFormat == exchange::Format::Rc ? kScriptTables : kOneTable;
    const QString note = m_sheetNoteId == 0 ? QString()
        : m_sheetNoteId == kOneTable
            ? SubstituteParameters(lgv_string(kOneTable), QFileInfo(txtFilename->text()).suffix().toLower())
            : lgv_string(m_sheetNoteId);
    lblSheetNote->setText(note);
    lblSheetNote->setAccessibleName(note);
    lblSheetNote->setVisible(!note.isEmpty());
}

void frmExcel::refuse(const QString &lead, const QString &libraryReason)
{
    const QString reason = LibraryMessages::Shown(libraryReason);
    const QString text = lead.isEmpty() ? reason + kCrLf + lgv_string(kChooseAnotherFile) : lead + kCrLf + reason;
    win32::interaction().msgBox(text, win32::vbExclamation, kTitle);
}

bool frmExcel::mayReplace(const QString &fileName)
{
    if (!optExport->isChecked() || !fileExists(fileName) || fileName == m_replaceApproved)
        return true;
    const std::optional<exchange::Format> format = exchange::formatForFileName(fileName);
    if (!format || exchange::hasSheets(*format))
        return true;
    const int questionId = *format == exchange::Format::Rc ? kReplaceTables : kReplaceFile;
    const QString question = SubstituteParameters(lgv_string(questionId), QDir::toNativeSeparators(fileName));
    if (win32::interaction().msgBox(question, win32::vbYesNo | win32::vbExclamation | win32::vbDefaultButton2, kTitle)
        != win32::vbYes)
        return false;
    m_replaceApproved = fileName;
    return true;
}

bool frmExcel::initExchangeStep(const QString &fileName)
{
    const exchange::Format format = *TransferFormat;
    const bool import = optImport->isChecked();
    FileMissing = !fileExists(fileName);
    if (import && FileMissing) {
        win32::interaction().msgBox(lgv_string(478), win32::vbOKOnly, kTitle);
        return false;
    }
    if (!exchange::isTranslation(format))
        return true;

    const QList<qint32> languages = RFile ? RFile->Strings().Languages() : QList<qint32>();
    lblSourceLanguage->setVisible(!import);
    cboSourceLanguage->setVisible(!import);
    chkUseFuzzy->setVisible(import && format == exchange::Format::Po);
    m_sheetNoteId = 0;
    {
        const QSignalBlocker quietSource(cboSourceLanguage);
        const QSignalBlocker quietTarget(cboTargetLanguage);
        cboSourceLanguage->clear();
        cboTargetLanguage->clear();
    }
    if (import) {
        // The file's own language comes first and is chosen; the project's follow.
        auto target = exchange::translationTarget(fileName, format);
        if (!target) {
            refuse(QString(), target.errorString());
            return false;
        }
        const QSignalBlocker quiet(cboTargetLanguage);
        if (target.value() != 0)
            addLanguage(*cboTargetLanguage, target.value());
        for (qint32 localeId : languages)
            addLanguage(*cboTargetLanguage, localeId);
        cboTargetLanguage->setCurrentIndex(target.value() != 0 ? 0 : -1);
        if (target.value() == 0)
            m_sheetNoteId = kFileNamesNoLanguage;
    } else {
        const QSignalBlocker quiet(cboSourceLanguage);
        if (!languages.contains(SourceLocale))
            addLanguage(*cboSourceLanguage, SourceLocale);
        for (qint32 localeId : languages)
            addLanguage(*cboSourceLanguage, localeId);
        cboSourceLanguage->setCurrentIndex(cboSourceLanguage->findData(SourceLocale));
        fillTargetLanguages();
    }
    setSheetStepTexts();
    return true;
}

// The languages an export can translate into: the project's, but the source.
void frmExcel::fillTargetLanguages()
{
    const qint32 source = chosenLocale(*cboSourceLanguage);
    const qint32 before = chosenLocale(*cboTargetLanguage);
    {
        const QSignalBlocker quiet(cboTargetLanguage);
        cboTargetLanguage->clear();
        for (qint32 localeId : RFile ? RFile->Strings().Languages() : QList<qint32>())
            if (localeId != source)
                addLanguage(*cboTargetLanguage, localeId);
        const int kept = before != 0 ? cboTargetLanguage->findData(before) : -1;
        cboTargetLanguage->setCurrentIndex(kept >= 0 ? kept : cboTargetLanguage->count() == 1 ? 0 : -1);
    }
    m_sheetNoteId = cboTargetLanguage->count() == 0 ? kNoTargetLanguage : 0;
    setSheetStepTexts();
}

void frmExcel::cboTargetLanguage_Click()
{
    qm::trap("cboTargetLanguage_Click", [&] { cmdNext->setEnabled(OkToGotoNextStep()); });
}

void frmExcel::cboSourceLanguage_Click()
{
    qm::trap("cboSourceLanguage_Click", [&] {
        if (optExport->isChecked())
            fillTargetLanguages();
        cmdNext->setEnabled(OkToGotoNextStep());
    });
}

bool frmExcel::sheetStepComplete() const
{
    if (!StepInitialised[2])
        return false;
    if (!TransferFormat || exchange::hasSheets(*TransferFormat))
        return WorksheetBox && !WorksheetBox->currentText().isEmpty() && (optImport->isChecked() || TableFits);
    if (!exchange::isTranslation(*TransferFormat))
        return true;
    const qint32 target = chosenLocale(*cboTargetLanguage);
    if (optImport->isChecked())
        return target != 0;
    return target != 0 && chosenLocale(*cboSourceLanguage) != 0 && target != chosenLocale(*cboSourceLanguage);
}

bool frmExcel::exportOther()
{
    bool completed = false;
    qm::trap("DoExport", [&] {
        if (!RFile)
            qm::raise(QStringLiteral("The wizard has no resource file."));
        if (!TransferFormat || !StepInitialised[2])
            qm::raise(QStringLiteral("%1: the file's format and its sheet or languages are not chosen.")
                          .arg(txtFilename->text()));
        exchange::Options options;
        options.format = *TransferFormat;
        options.sheetName = WorksheetBox ? WorksheetBox->currentText() : ProjectName;
        options.sourceLocale = chosenLocale(*cboSourceLanguage);
        options.targetLocale = chosenLocale(*cboTargetLanguage);
        options.original = QFileInfo(RFile->FileName()).fileName();
        const QString fileName = txtFilename->text();
        // The file may have appeared since the file step asked.
        if (!mayReplace(fileName))
            return;
        // Names come from this thread's locale data; the run only looks them up.
        QHash<qint32, QString> names;
        for (qint32 localeId : RFile->Strings().Languages())
            names.insert(localeId, ExcelTransfer::languageName(localeId));
        const resutil::ResStrings &strings = RFile->Strings();
        const qm::Status status = runTransfer([&](TransferFeedback &feedback) {
            return exchange::exportFile(strings, fileName, options,
                                        [&names](qint32 localeId) { return names.value(localeId); }, feedback);
        });
        if (m_lastRunStopped)
            return;
        if (!status) {
            refuse(lgv_string(kNothingWritten), status.errorString());
            return;
        }
        completed = true;
    });
    return completed;
}

bool frmExcel::importOther()
{
    bool completed = false;
    qm::trap("DoImport", [&] {
        if (!RFile)
            qm::raise(QStringLiteral("The wizard has no resource file."));
        if (!TransferFormat || !StepInitialised[2])
            qm::raise(QStringLiteral("%1: the file's format and its sheet or language are not chosen.")
                          .arg(txtFilename->text()));
        exchange::Options options;
        options.format = *TransferFormat;
        options.sheetName = WorksheetBox ? WorksheetBox->currentText() : QString();
        options.targetLocale = chosenLocale(*cboTargetLanguage);
        options.useFuzzy = options.format == exchange::Format::Po && chkUseFuzzy->isChecked();
        const QString fileName = txtFilename->text();
        // The run reads into its own list; the strings change only once it is complete.
        const resutil::ResStrings &current = RFile->Strings();
        exchange::Imported imported;
        const qm::Status status = runTransfer([&](TransferFeedback &feedback) -> qm::Status {
            auto read = exchange::importFile(fileName, current, options, feedback);
            if (!read)
                return read.error();
            imported = std::move(read).value();
            return {};
        });
        if (m_lastRunStopped)
            return;
        if (!status) {
            refuse(lgv_string(kNothingImported), status.errorString());
            return;
        }
        ExcelTransfer::replaceStrings(RFile->Strings(), std::move(imported.entries));
        pbaProgress->SetCaption(lgv_string(490));
        completed = true;
        // The tables' cell messages were shown while the file was read; the
        // other formats' notes are shown once, at the end.
        if (exchange::isTabular(options.format) || imported.messages.isEmpty())
            return;
        QStringList notes = imported.messages.mid(0, kNotesShown);
        for (QString &note : notes)
            note = LibraryMessages::Shown(note);
        if (imported.messages.size() > kNotesShown)
            notes << SubstituteParameters(lgv_string(kMoreNotes), imported.messages.size() - kNotesShown);
        win32::interaction().msgBox(lgv_string(kImportNotes) + kCrLf + notes.join(kCrLf), win32::vbOKOnly, kTitle);
    });
    return completed;
}
