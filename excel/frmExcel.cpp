#include "excel/frmExcel.h"

#include "excel/CaptionedProgressBar.h"
#include "transfer/ExcelExport.h"
#include "transfer/ExcelImport.h"
#include "transfer/LanguageName.h"
#include "transfer/TableLimits.h"
#include "exchange/Exchange.h"
#include "platform/excel/Application.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"
#include "support/Globals.h"
#include "support/HelpModule.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <utility>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {

const QString kTitle = QStringLiteral("Quill Resource String Editor");
const QString kCrLf = QStringLiteral("\r\n");
constexpr int kNothingWritten = 809;  // "Nothing was written."
// The workbooks first, then every other format the extension may name.
const QString kFilter = QStringLiteral(
    "Excel Files (*.xls *.xlsx)|*.xls;*.xlsx|OpenDocument Spreadsheets (*.ods)|*.ods|"
    "CSV and Tab-Separated Text (*.csv *.tsv *.txt)|*.csv;*.tsv;*.txt|Resource Scripts (*.rc)|*.rc|"
    "XLIFF Files (*.xlf *.xliff)|*.xlf;*.xliff|Gettext PO Files (*.po)|*.po|All Files (*.*)|*.*");

constexpr int kPanelWidth = 600;
constexpr int kPanelHeight = 280;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 28;
constexpr int kMargin = 12;
constexpr int kGap = 6;

bool fileExists(const QString &path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

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

// "Name (*.x)|*.x|..." as the file dialog's list of "Name (*.x)" entries.
QStringList dialogFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.append(parts[i]);
    return filters;
}

template<class Widget>
Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Restores the normal pointer however the run ends. The busy pointer, as the
// window still takes input (Cancel) while the transfer runs.
class Hourglass {
public:
    Hourglass() { QGuiApplication::setOverrideCursor(Qt::BusyCursor); }
    ~Hourglass() { QGuiApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass &) = delete;
    Hourglass &operator=(const Hourglass &) = delete;
};

// Progress and messages of a run, shown on the wizard.
class WizardFeedback : public TransferFeedback {
public:
    explicit WizardFeedback(CaptionedProgressBar &bar) : m_bar(bar) {}
    void setProgressCaption(const QString &caption) override { m_bar.SetCaption(caption); }
    void setProgressMaximum(int maximum) override { m_bar.SetMax(maximum); }
    void setProgressMinimum(int minimum) override { m_bar.SetMin(minimum); }
    void setProgressValue(int value) override { m_bar.SetValue(value); }
    void showMessage(const QString &text) override { win32::interaction().msgBox(text, win32::vbOKOnly, kTitle); }

private:
    CaptionedProgressBar &m_bar;
};

} // namespace

frmExcel::frmExcel(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmExcel"));
    setModal(true);
    buildControls();
}

frmExcel::~frmExcel() = default;

void frmExcel::buildControls()
{
    static const char *const panelNames[] = {"Step0", "Step1", "Step2", "Step3"};
    static const char *const titleNames[] = {"lblTitle0", "lblTitle1", "lblTitle2", "lblTitle3"};
    static const char *const subtitleNames[] = {"lblSubtitle0", "lblSubtitle1", "lblSubtitle2"};
    QVBoxLayout *panelLayout[StepCount] = {};
    for (int i = 0; i < StepCount; ++i) {
        Step[i] = named(new QWidget(this), panelNames[i]);
        Step[i]->setAutoFillBackground(true);
        panelLayout[i] = new QVBoxLayout(Step[i]);
        panelLayout[i]->setContentsMargins(kMargin * 2, kMargin * 2, kMargin * 2, kMargin);
        lblTitle[i] = named(new QLabel(Step[i]), titleNames[i]);
        QFont heading = lblTitle[i]->font();
        heading.setBold(true);
        heading.setPointSizeF(heading.pointSizeF() * 1.4);
        lblTitle[i]->setFont(heading);
        panelLayout[i]->addWidget(lblTitle[i]);
        if (i < 3) {
            lblSubtitle[i] = named(new QLabel(Step[i]), subtitleNames[i]);
            panelLayout[i]->addWidget(lblSubtitle[i]);
        }
        panelLayout[i]->addSpacing(kMargin);
    }
    // Design-time geometry: panel 0 fixes the size that Form_Load gives the rest.
    Step[0]->setGeometry(0, 0, kPanelWidth, kPanelHeight);
    for (int i = 1; i < StepCount; ++i)
        Step[i]->setGeometry(kMargin * (i + 1), kMargin * (i + 1), kPanelWidth / 2, kPanelHeight / 2);

    optImport = named(new QRadioButton(Step[0]), "optImport");
    optExport = named(new QRadioButton(Step[0]), "optExport");
    panelLayout[0]->addWidget(optImport);
    panelLayout[0]->addWidget(optExport);
    panelLayout[0]->addStretch(1);

    txtFilename = named(new QLineEdit(Step[1]), "txtFilename");
    cmdBrowse = named(new QPushButton(Step[1]), "cmdBrowse");
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(txtFilename, 1);
    fileRow->addWidget(cmdBrowse);
    panelLayout[1]->addLayout(fileRow);
    panelLayout[1]->addStretch(1);

    // The two worksheet boxes share one place; Form_Load puts the list over the combo.
    auto *sheetArea = named(new QWidget(Step[2]), "sheetArea");
    sheetArea->setFixedHeight(kButtonHeight + 4);
    cboWorksheetCombo = named(new QComboBox(sheetArea), "cboWorksheetCombo");
    cboWorksheetCombo->setEditable(true);
    cboWorksheetCombo->setInsertPolicy(QComboBox::NoInsert);
    cboWorksheetCombo->setGeometry(0, 2, kPanelWidth - 4 * kMargin - kButtonWidth * 3 / 2 - kGap, kButtonHeight);
    cboWorksheetList = named(new QComboBox(sheetArea), "cboWorksheetList");
    cboWorksheetList->setEditable(false);
    cmdUseProjectName = named(new QPushButton(Step[2]), "cmdUseProjectName");
    cmdUseProjectName->setFixedWidth(kButtonWidth * 3 / 2);
    fraWorksheet = named(new QWidget(Step[2]), "fraWorksheet");
    auto *sheetRow = new QHBoxLayout(fraWorksheet);
    sheetRow->setContentsMargins(0, 0, 0, 0);
    sheetRow->addWidget(sheetArea, 1);
    sheetRow->addWidget(cmdUseProjectName);
    panelLayout[2]->addWidget(fraWorksheet);

    fraLanguages = named(new QWidget(Step[2]), "fraLanguages");
    auto *languageGrid = new QGridLayout(fraLanguages);
    languageGrid->setContentsMargins(0, 0, 0, 0);
    lblTargetLanguage = named(new QLabel(fraLanguages), "lblTargetLanguage");
    cboTargetLanguage = named(new QComboBox(fraLanguages), "cboTargetLanguage");
    lblSourceLanguage = named(new QLabel(fraLanguages), "lblSourceLanguage");
    cboSourceLanguage = named(new QComboBox(fraLanguages), "cboSourceLanguage");
    lblTargetLanguage->setBuddy(cboTargetLanguage);
    lblSourceLanguage->setBuddy(cboSourceLanguage);
    languageGrid->addWidget(lblTargetLanguage, 0, 0);
    languageGrid->addWidget(cboTargetLanguage, 0, 1);
    languageGrid->addWidget(lblSourceLanguage, 1, 0);
    languageGrid->addWidget(cboSourceLanguage, 1, 1);
    chkUseFuzzy = named(new QCheckBox(fraLanguages), "chkUseFuzzy");
    languageGrid->addWidget(chkUseFuzzy, 2, 0, 1, 2);
    languageGrid->setColumnStretch(1, 1);
    panelLayout[2]->addWidget(fraLanguages);
    fraLanguages->hide();

    lblSheetNote = named(new QLabel(Step[2]), "lblSheetNote");
    lblSheetNote->setWordWrap(true);
    panelLayout[2]->addWidget(lblSheetNote);
    lblSheetNote->hide();
    panelLayout[2]->addStretch(1);

    cmdStart = named(new QPushButton(Step[3]), "cmdStart");
    pbaProgress = named(new CaptionedProgressBar(Step[3]), "pbaProgress");
    auto *startRow = new QHBoxLayout;
    startRow->addWidget(cmdStart);
    startRow->addStretch(1);
    panelLayout[3]->addLayout(startRow);
    panelLayout[3]->addSpacing(kMargin);
    panelLayout[3]->addWidget(pbaProgress);
    panelLayout[3]->addStretch(1);

    cmdCancel = named(new QPushButton(this), "cmdCancel");
    cmdHelp = named(new QPushButton(this), "cmdHelp");
    cmdBack = named(new QPushButton(this), "cmdBack");
    cmdNext = named(new QPushButton(this), "cmdNext");
    cmdFinish = named(new QPushButton(this), "cmdFinish");
    cmdCancel->setGeometry(kMargin, 0, kButtonWidth, kButtonHeight);
    cmdHelp->setGeometry(kMargin + kButtonWidth + kGap, 0, kButtonWidth, kButtonHeight);
    cmdBack->setGeometry(kPanelWidth - kMargin - 3 * kButtonWidth - 2 * kGap, 0, kButtonWidth, kButtonHeight);
    cmdNext->setGeometry(kPanelWidth - kMargin - 2 * kButtonWidth - kGap, 0, kButtonWidth, kButtonHeight);
    cmdFinish->setGeometry(kPanelWidth - kMargin - kButtonWidth, 0, kButtonWidth, kButtonHeight);
    for (QPushButton *button : {cmdBrowse, cmdUseProjectName, cmdStart, cmdCancel, cmdHelp, cmdBack, cmdFinish})
        button->setAutoDefault(false);
    cmdNext->setDefault(true);

    connect(optImport, &QRadioButton::toggled, this, [this](bool on) { if (on) optImport_Click(); });
    connect(optExport, &QRadioButton::toggled, this, [this](bool on) { if (on) optExport_Click(); });
    connect(txtFilename, &QLineEdit::textChanged, this, [this] { txtFilename_Change(); });
    connect(cmdBrowse, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
    connect(cmdUseProjectName, &QPushButton::clicked, this, [this] { cmdUseProjectName_Click(); });
    connect(cboWorksheetList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            cboWorksheetList_Click();
    });
    connect(cboWorksheetCombo, &QComboBox::activated, this, [this] { cboWorksheetCombo_Click(); });
    connect(cboWorksheetCombo, &QComboBox::editTextChanged, this, [this] { cboWorksheetCombo_Change(); });
    connect(cboTargetLanguage, &QComboBox::currentIndexChanged, this, [this] { cboTargetLanguage_Click(); });
    connect(cboSourceLanguage, &QComboBox::currentIndexChanged, this, [this] { cboSourceLanguage_Click(); });
    connect(cmdBack, &QPushButton::clicked, this, [this] { cmdBack_Click(); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { cmdNext_Click(); });
    connect(cmdStart, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
    connect(cmdFinish, &QPushButton::clicked, this, [this] { cmdFinish_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
}

qint32 frmExcel::ShowExcelDialog(const QString &ProjectName, const QString &ProjectDir, resutil::ResFile &RFile,
                                 qint32 SourceLocale)
{
    qint32 result = 0;
    qm::trap("ShowExcelDialog", [&] {
        frmExcel form;
        form.Result = 2;
        form.ProjectName = ProjectName;
        form.RFile = &RFile;
        form.SourceLocale = SourceLocale > 0 ? SourceLocale : 2057;
        auto app = excel::Application::Create();
        if (!app) {
            win32::interaction().msgBox(lgv_string(476) + kCrLf + lgv_string(477), win32::vbExclamation, kTitle);
            return;
        }
        form.ExcelApp = std::move(app).value();
        form.Form_Load();
        form.txtFilename->setText(ProjectDir + QDir::separator() + ProjectName + QStringLiteral(".xls"));
        for (bool &initialised : form.StepInitialised)
            initialised = false;
        form.SetStep(0);

        win32::interaction().execDialog(form);

        result = form.Result;
        form.Worksheet = nullptr;
        form.Workbook = nullptr;
        form.ExcelApp->Quit();
        form.ExcelApp.reset();
        form.WorksheetBox = nullptr;
        form.RFile = nullptr;
        form.Form_Unload();
    });
    return result;
}

void frmExcel::Form_Load()
{
    qm::trap("Form_Load", [&] {
        lgv_Load(false);
        const QRect panel = Step[0]->geometry();
        for (int i = 1; i < StepCount; ++i)
            Step[i]->setGeometry(0, 0, panel.width(), panel.height());
        const int buttonTop = panel.top() + panel.height();
        for (QPushButton *button : {cmdHelp, cmdCancel, cmdBack, cmdNext, cmdFinish})
            button->move(button->x(), buttonTop);
        setFixedSize(panel.width(), cmdFinish->geometry().bottom() + 1 + cmdCancel->x());
        cboWorksheetList->setGeometry(cboWorksheetCombo->x(), cboWorksheetCombo->y(), cboWorksheetCombo->width(),
                                      cboWorksheetCombo->height());
        cboWorksheetList->hide();
    });
}

void frmExcel::Form_Unload()
{
    qm::trap("Form_Unload", [&] { lgv_Unload(); });
}

void frmExcel::lgv_UpdateControls()
{
    lgv_SetCaption(*this, 453);
    for (int i = 0; i < StepCount; ++i) {
        lgv_SetText(*lblTitle[i], 452);
        Step[i]->setAccessibleName(lblTitle[i]->text());
    }
    static const int subtitleIds[] = {459, 457, 456};
    for (int i = 0; i < 3; ++i)
        lgv_SetText(*lblSubtitle[i], subtitleIds[i]);
    lgv_SetText(*optImport, 243);
    lgv_SetText(*optExport, 458);
    txtFilename->setAccessibleName(lblSubtitle[1]->text());
    lgv_SetText(*cmdBrowse, 302);
    for (QComboBox *box : {cboWorksheetList, cboWorksheetCombo}) {
        box->setAccessibleName(lblSubtitle[2]->text());
        box->view()->setAccessibleName(lblSubtitle[2]->text());
    }
    cboWorksheetCombo->lineEdit()->setAccessibleName(lblSubtitle[2]->text());
    lgv_SetText(*cmdUseProjectName, 455);
    lgv_SetText(*cmdStart, 454);
    pbaProgress->SetSecondaryText(lgv_string(465));
    lgv_SetText(*cmdHelp, 138);
    lgv_SetText(*cmdCancel, 82);
    lgv_SetText(*cmdBack, 312);
    lgv_SetText(*cmdNext, 311);
    lgv_SetText(*cmdFinish, 310);
    lblTargetLanguage->setText(lgv_string(805));
    lblSourceLanguage->setText(lgv_string(806));
    cboTargetLanguage->setAccessibleName(QString(lblTargetLanguage->text()).remove(u'&').remove(u':'));
    cboSourceLanguage->setAccessibleName(QString(lblSourceLanguage->text()).remove(u'&').remove(u':'));
    chkUseFuzzy->setText(lgv_string(820));
    chkUseFuzzy->setAccessibleName(QString(chkUseFuzzy->text()).remove(u'&'));
    setSheetStepTexts();
}

bool frmExcel::OkToGotoNextStep()
{
    bool ok = false;
    qm::trap("frmExcel.OkToGotoNextStep", [&] {
        switch (CurrentStep) {
        case 0:
            ok = optImport->isChecked() || optExport->isChecked();
            break;
        case 1:
            ok = !txtFilename->text().isEmpty() && (!optImport->isChecked() || fileExists(txtFilename->text()));
            break;
        case 2:
            ok = sheetStepComplete();
            break;
        default:
            ok = false;
        }
    });
    return ok;
}

int frmExcel::GetNextStep()
{
    int next = 0;
    qm::trap("frmExcel.GetNextStep", [&] {
        static const int nextOf[StepCount] = {1, 2, 3, 3};
        next = CurrentStep >= 0 && CurrentStep < StepCount ? nextOf[CurrentStep] : 0;
    });
    return next;
}

int frmExcel::GetPrevStep()
{
    int previous = 0;
    qm::trap("frmExcel.GetPrevStep", [&] {
        static const int previousOf[StepCount] = {0, 0, 1, 2};
        previous = CurrentStep >= 0 && CurrentStep < StepCount ? previousOf[CurrentStep] : 0;
    });
    return previous;
}

void frmExcel::InitStep(int /*Step*/)
{
    qm::trap("frmExcel.InitStep", [&] {
        switch (CurrentStep) {
        case 0:
            // Radio buttons cannot be cleared while they exclude each other.
            for (QRadioButton *option : {optImport, optExport}) {
                option->setAutoExclusive(false);
                option->setChecked(false);
                option->setAutoExclusive(true);
            }
            break;
        case 2: {
            if (!WorksheetBox)
                qm::raise(QStringLiteral("No direction has been chosen."));
            // What an earlier preparation found goes first, so a failure here
            // leaves no workbook and no sheet name for Start to use.
            Workbook = nullptr;
            Worksheet = nullptr;
            WorkbookStale = false;
            TableFits = true;
            cmdUseProjectName->setEnabled(false);
            {
                const QSignalBlocker quiet(WorksheetBox);
                WorksheetBox->clear();
                WorksheetBox->setCurrentIndex(-1);
                if (WorksheetBox->isEditable())
                    WorksheetBox->setEditText(QString());
            }
            const QString fileName = txtFilename->text();
            TransferFormat = exchange::formatForFileName(fileName);
            setSheetStepTexts();
            if (!TransferFormat) {
                win32::interaction().msgBox(SubstituteParameters(lgv_string(800), fileName), win32::vbExclamation,
                                            kTitle);
                return;
            }
            if (!exchange::hasSheets(*TransferFormat)) {
                if (!initExchangeStep(fileName))
                    return;
                break;
            }
            const bool workbook = exchange::isWorkbook(*TransferFormat);
            int projectSheet = -1;
            {
                const QSignalBlocker quiet(WorksheetBox);
                FileMissing = !fileExists(fileName);
                if (!FileMissing) {
                    QStringList names;
                    excel::Workbook *opened = nullptr;
                    if (workbook) {
                        opened = qm::check(ExcelApp->Workbooks().Open(fileName));
                        // Only the names: a sheet is read when the transfer asks for it.
                        names = opened->Worksheets().Names();
                    } else {
                        auto read = exchange::odsSheetNames(fileName);
                        if (!read) {
                            refuse(QString(), read.errorString());
                            return;
                        }
                        names = read.value();
                    }
                    for (const QString &name : names) {
                        WorksheetBox->addItem(name);
                        if (name == ProjectName && projectSheet < 0)
                            projectSheet = WorksheetBox->count() - 1;
                    }
                    Workbook = opened;
                }
                // Filling a box selects its first entry; the user (or the project's name) chooses.
                WorksheetBox->setCurrentIndex(-1);
                if (WorksheetBox->isEditable())
                    WorksheetBox->setEditText(QString());
            }
            if (optImport->isChecked()) {
                if (FileMissing) {
                    win32::interaction().msgBox(lgv_string(478), win32::vbOKOnly, kTitle);
                } else {
                    cmdUseProjectName->setEnabled(projectSheet >= 0);
                    if (projectSheet >= 0)
                        WorksheetBox->setCurrentIndex(projectSheet);
                    else
                        win32::interaction().msgBox(lgv_string(479) + kCrLf + lgv_string(480), win32::vbExclamation,
                                                    kTitle);
                }
            } else {
                WorksheetBox->setEditText(ProjectName);
                cmdUseProjectName->setEnabled(true);
                // An .ods sheet holds every table a resource file can have.
                if (!workbook)
                    break;
                // Found now, not after the whole table was written.
                const excel::FileFormat format =
                    Workbook ? ExcelTransfer::formatOf(*Workbook) : excel::formatForFileName(fileName);
                const QString tooLarge =
                    RFile ? ExcelTransfer::tableDoesNotFit(ExcelTransfer::exportedSize(RFile->Strings()), format)
                          : QString();
                TableFits = tooLarge.isEmpty();
                if (!TableFits)
                    win32::interaction().msgBox(tooLarge, win32::vbExclamation, kTitle);
            }
            break;
        }
        default:
            break;
        }
        StepInitialised[CurrentStep] = true;
    });
}

void frmExcel::SetStep(int StepIndex)
{
    qm::trap("frmExcel.SetStep", [&] {
        if (StepIndex < 0 || StepIndex >= StepCount)
            qm::raise(QStringLiteral("There is no step %1.").arg(StepIndex));
        CurrentStep = StepIndex;
        for (int i = 0; i < StepCount; ++i)
            Step[i]->setVisible(i == CurrentStep);
        Step[CurrentStep]->raise();
        if (!StepInitialised[CurrentStep])
            InitStep(CurrentStep);
        cmdBack->setEnabled(CurrentStep > 0);
        cmdNext->setEnabled(OkToGotoNextStep());
        cmdFinish->setEnabled(false);
    });
}

void frmExcel::setDirectionCaptions(int titleId, int startId)
{
    lgv_SetText(*cmdStart, startId);
    for (int i = 1; i < StepCount; ++i) {
        lgv_SetText(*lblTitle[i], titleId);
        Step[i]->setAccessibleName(lblTitle[i]->text());
    }
}

void frmExcel::chooseDirection(bool import)
{
    StepInitialised[2] = false;
    cmdNext->setEnabled(OkToGotoNextStep());
    setDirectionCaptions(import ? 484 : 482, import ? 483 : 481);
    WorksheetBox = import ? cboWorksheetList : cboWorksheetCombo;
    QComboBox *other = import ? cboWorksheetCombo : cboWorksheetList;
    WorksheetBox->show();
    other->hide();
}

void frmExcel::optImport_Click()
{
    qm::trap("optImport_Click", [&] { chooseDirection(true); });
}

void frmExcel::optExport_Click()
{
    qm::trap("optExport_Click", [&] { chooseDirection(false); });
}

void frmExcel::txtFilename_Change()
{
    qm::trap("txtFilename_Change", [&] {
        StepInitialised[2] = false;
        cmdNext->setEnabled(OkToGotoNextStep());
    });
}

void frmExcel::cmdBrowse_Click()
{
    qm::trap("cmdBrowse_Click", [&] {
        const bool import = optImport->isChecked();
        dlgExcelFile.FileName = txtFilename->text();
        dlgExcelFile.Flags = import ? OFN_FILEMUSTEXIST | OFN_HIDEREADONLY : OFN_HIDEREADONLY;
        dlgExcelFile.Filter = kFilter;
        win32::FileDialogRequest request;
        request.initialPath = dlgExcelFile.FileName;
        request.filters = dialogFilters(dlgExcelFile.Filter);
        request.confirmOverwrite = false;
        request.fileMustExist = (dlgExcelFile.Flags & OFN_FILEMUSTEXIST) != 0;
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
        if (!WorksheetBox)
            return;
        if (WorksheetBox->isEditable()) {
            WorksheetBox->setEditText(ProjectName);
        } else {
            const int index = WorksheetBox->findText(ProjectName, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (index >= 0)
                WorksheetBox->setCurrentIndex(index);
        }
        cmdNext->setEnabled(OkToGotoNextStep());
    });
}

void frmExcel::cboWorksheetList_Click()
{
    qm::trap("cboWorksheetList_Click", [&] { cmdNext->setEnabled(OkToGotoNextStep()); });
}

void frmExcel::cboWorksheetCombo_Click()
{
    qm::trap("cboWorksheetCombo_Click", [&] { cmdNext->setEnabled(OkToGotoNextStep()); });
}

void frmExcel::cboWorksheetCombo_Change()
{
    qm::trap("cboWorksheetCombo_Change", [&] { cmdNext->setEnabled(OkToGotoNextStep()); });
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
        // A name whose extension names no format goes no further.
        if (CurrentStep == 1 && !exchange::formatForFileName(txtFilename->text())) {
            win32::interaction().msgBox(SubstituteParameters(lgv_string(800), txtFilename->text()),
                                        win32::vbExclamation, kTitle);
            txtFilename->setFocus();
            return;
        }
        if (CurrentStep == 1 && !mayReplace(txtFilename->text())) {
            txtFilename->setFocus();
            return;
        }
        SetStep(GetNextStep());
    });
}

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
            if (optImport->isChecked()) {
                completed = DoImport();
                // A stopped import changed nothing.
                if (!m_lastRunStopped) {
                    ImportRan = true;
                    Result = 1;
                }
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
        // After an import the strings are the workbook's, so the editor must show them again.
        Result = ImportRan ? 1 : 2;
        hide();
    });
}

void frmExcel::cmdHelp_Click()
{
    qm::trap("cmdHelp_Click", [&] { HelpModule::HtmlHelp(this, HelpModule::HH_HELP_CONTEXT, HelpModule::kTopicExcel); });
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
    m_form.cmdBack->setEnabled(m_form.CurrentStep > 0);
    m_form.cmdNext->setEnabled(m_form.OkToGotoNextStep());
}

qm::Status frmExcel::runTransfer(const TransferRun::Job &job)
{
    TransferRun run(*pbaProgress, kTitle);
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

bool frmExcel::DoExport()
{
    if (!TransferFormat || !exchange::isWorkbook(*TransferFormat))
        return exportOther();
    if (!ExcelApp || !RFile) {
        qm::trap("DoExport", [] { qm::raise(QStringLiteral("The wizard has no workbook application or resource file.")); });
        return false;
    }
    ExcelTransfer::ExportTarget target(ExcelApp->Workbooks());
    bool stopped = false;
    bool refused = false;
    const bool completed = qm::trap(
        "DoExport",
        [&] {
            target.workbook = Workbook;
            target.fileMissing = FileMissing;
            target.fileName = txtFilename->text();
            target.sheetName = WorksheetBox ? WorksheetBox->currentText() : ProjectName;
            const bool stale = WorkbookStale && Workbook;
            // Names come from this thread's locale data; the run only looks them up.
            QHash<qint32, QString> names;
            for (qint32 localeId : RFile->Strings().Languages())
                names.insert(localeId, ExcelTransfer::languageName(localeId));
            const resutil::ResStrings &strings = RFile->Strings();
            const qm::Status status = runTransfer([&](TransferFeedback &feedback) -> qm::Status {
                if (auto current = readAgainIfChanged(target, stale); !current)
                    return current;
                return ExcelTransfer::exportStrings(
                    target, strings, [&names](qint32 localeId) { return names.value(localeId); }, feedback);
            });
            Workbook = target.workbook;
            Worksheet = target.worksheet;
            FileMissing = target.fileMissing;
            // A failed or stopped run may have added or cleared a sheet in
            // memory; the next run starts again from the file, which it left
            // as it was.
            if (!FileMissing && Workbook)
                WorkbookStale = !status;
            stopped = !status && m_lastRunStopped;
            if (status || stopped)
                return;
            // A file that cannot be opened or saved (read-only, a full disk, a
            // missing folder) is told plainly; a cell that could not be
            // written is reported with the cell.
            if (target.details().isEmpty()) {
                refuse(lgv_string(kNothingWritten), status.errorString());
                refused = true;
                return;
            }
            qm::raise(status.error().message, status.error().where);
        },
        [&] { return target.details(); });
    return completed && !stopped && !refused;
}

bool frmExcel::DoImport()
{
    if (!TransferFormat || !exchange::isWorkbook(*TransferFormat))
        return importOther();
    bool stopped = false;
    const bool completed = qm::trap("DoImport", [&] {
        if (!RFile)
            qm::raise(QStringLiteral("The wizard has no resource file."));
        if (!Workbook)
            qm::raise(QStringLiteral("%1: the workbook is not open.").arg(txtFilename->text()));
        excel::Workbook &book = *Workbook;
        const QString sheetName = WorksheetBox ? WorksheetBox->currentText() : ProjectName;
        // The run reads into its own list; the strings change only once it is complete.
        std::vector<ExcelTransfer::ImportedString> entries;
        excel::Worksheet *sheet = nullptr;
        const qm::Status status = runTransfer([&](TransferFeedback &feedback) -> qm::Status {
            auto read = ExcelTransfer::readStrings(book, sheetName, feedback, &sheet);
            if (!read)
                return read.error();
            entries = std::move(read).value();
            return {};
        });
        Worksheet = sheet;
        stopped = m_lastRunStopped;
        if (stopped)
            return;
        if (!status)
            qm::raise(status.error().message, status.error().where);
        WizardFeedback feedback(*pbaProgress);
        ExcelTransfer::completeImport(RFile->Strings(), std::move(entries), feedback);
    });
    return completed && !stopped;
}
