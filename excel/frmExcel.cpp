#include "excel/frmExcel.h"

#include "excel/CaptionedProgressBar.h"
#include "excel/UiTextShown.h"
#include "excel/WizardTransfer.h"
#include "transfer/LanguageName.h"
#include "platform/resutil/ResFile.h"
#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using LgvStringModule::lgv_string;
using wizard::TransferDirection;

namespace {

constexpr int kPanelWidth = 600;
constexpr int kPanelHeight = 280;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 28;
constexpr int kMargin = 12;
constexpr int kGap = 6;

template<class Widget>
Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QString languageLabel(qint32 localeId)
{
    const QString name = ExcelTransfer::languageName(localeId);
    return name.isEmpty() ? QString::number(localeId) : QStringLiteral("%1 (%2)").arg(name, QString::number(localeId));
}

// Fills a language box with the locales offered and chooses one (0: none).
void showLocales(QComboBox &box, const QList<qint32> &locales, qint32 chosen)
{
    const QSignalBlocker quiet(&box);
    box.clear();
    for (qint32 localeId : locales)
        box.addItem(languageLabel(localeId), localeId);
    box.setCurrentIndex(chosen != 0 ? box.findData(chosen) : -1);
}

} // namespace

frmExcel::frmExcel(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmExcel"));
    setModal(true);
    buildControls();
    connectControls();
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
}

void frmExcel::connectControls()
{
    connect(optImport, &QRadioButton::toggled, this, [this](bool on) { if (on) optImport_Click(); });
    connect(optExport, &QRadioButton::toggled, this, [this](bool on) { if (on) optExport_Click(); });
    connect(txtFilename, &QLineEdit::textChanged, this, [this] { txtFilename_Change(); });
    connect(cmdBrowse, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
    connect(cmdUseProjectName, &QPushButton::clicked, this, [this] { cmdUseProjectName_Click(); });
    connect(cboWorksheetList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            cboWorksheetList_Click();
        else
            takeSheetName(*cboWorksheetList);
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
    connect(chkUseFuzzy, &QCheckBox::toggled, this, [this] { chkUseFuzzy_Click(); });
}

qint32 frmExcel::ShowExcelDialog(const QString &ProjectName, const QString &ProjectDir, resutil::ResFile &RFile,
                                 qint32 SourceLocale)
{
    qint32 result = 0;
    qm::trap("ShowExcelDialog", [&] {
        frmExcel form;
        form.m_state.Result = 2;
        form.m_state.ProjectName = ProjectName;
        form.m_state.ProjectSourceLocale = SourceLocale > 0 ? SourceLocale : 2057;
        form.m_state.OriginalName = QFileInfo(RFile.FileName()).fileName();
        form.RFile = &RFile;
        auto transfer = wizard::WizardTransfer::Start();
        if (!transfer) {
            form.showMessage({{uiString(476), uiString(477)}, win32::vbExclamation});
            return;
        }
        form.m_transfer = std::move(transfer).value();
        form.Form_Load();
        form.txtFilename->setText(ProjectDir + QDir::separator() + ProjectName + QStringLiteral(".xls"));
        form.m_state.StepInitialised.fill(false);
        form.SetStep(0);

        win32::interaction().execDialog(form);

        result = form.m_state.Result;
        // The back end ends, and every workbook it held goes unsaved.
        form.m_transfer->Quit();
        form.m_transfer.reset();
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
    showSheetStepTexts();
}

QComboBox *frmExcel::WorksheetBox() const
{
    switch (m_state.Direction) {
    case TransferDirection::Import:
        return cboWorksheetList;
    case TransferDirection::Export:
        return cboWorksheetCombo;
    case TransferDirection::None:
        break;
    }
    return nullptr;
}

void frmExcel::showDirection()
{
    const TransferDirection direction = m_state.Direction;
    lgv_SetText(*cmdStart, wizard::startCaptionId(direction));
    for (int i = 1; i < StepCount; ++i) {
        lgv_SetText(*lblTitle[i], wizard::titleId(direction));
        Step[i]->setAccessibleName(lblTitle[i]->text());
    }
    if (QComboBox *box = WorksheetBox()) {
        box->show();
        (box == cboWorksheetList ? cboWorksheetCombo : cboWorksheetList)->hide();
    }
}

void frmExcel::showNext() { cmdNext->setEnabled(OkToGotoNextStep()); }

void frmExcel::showSheetStep()
{
    const wizard::SheetStep &offer = m_state.Offer;
    cmdUseProjectName->setEnabled(offer.UseProjectName);
    if (QComboBox *box = WorksheetBox()) {
        const QSignalBlocker quiet(box);
        box->clear();
        box->addItems(offer.SheetNames);
        // Filling a box selects its first entry; the user (or the project's name) chooses.
        const int chosen = box->findText(m_state.SheetName, Qt::MatchExactly | Qt::MatchCaseSensitive);
        box->setCurrentIndex(box->isEditable() ? -1 : chosen);
        if (box->isEditable())
            box->setEditText(m_state.SheetName);
    }
    lblSourceLanguage->setVisible(offer.OffersSource);
    cboSourceLanguage->setVisible(offer.OffersSource);
    chkUseFuzzy->setVisible(offer.OffersFuzzy);
    {
        const QSignalBlocker quiet(chkUseFuzzy);
        chkUseFuzzy->setChecked(m_state.UseFuzzy);
    }
    showLocales(*cboSourceLanguage, offer.SourceLocales, m_state.SourceLocale);
    showTargetLanguages();
}

void frmExcel::showTargetLanguages()
{
    showLocales(*cboTargetLanguage, m_state.Offer.TargetLocales, m_state.TargetLocale);
    showSheetStepTexts();
}

void frmExcel::showSheetStepTexts()
{
    const std::optional<exchange::Format> &format = m_state.Format;
    lgv_SetText(*lblSubtitle[2], wizard::sheetStepSubtitleId(format));
    fraWorksheet->setVisible(!format || exchange::hasSheets(*format));
    fraLanguages->setVisible(format && exchange::isTranslation(*format));
    const QString note = m_state.Offer.Note ? shownText(*m_state.Offer.Note) : QString();
    lblSheetNote->setText(note);
    lblSheetNote->setAccessibleName(note);
    lblSheetNote->setVisible(!note.isEmpty());
}

void frmExcel::showMessage(const UiMessage &message)
{
    win32::interaction().msgBox(shownText(message), message.style, QString::fromLatin1(kMessageTitle));
}

void frmExcel::refuse(int leadId, const QString &libraryReason)
{
    showMessage({{uiString(leadId), libraryText(libraryReason)}, win32::vbExclamation});
}
