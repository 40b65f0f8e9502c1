#include "languages/frmAddLanguage.h"

#include "languages/DialogButtonRow.h"
#include "languages/ctlLanguageList.h"
#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"
#include "support/HelpModule.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmAddLanguage::frmAddLanguage(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAddLanguage"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblLanguage = new QLabel(this);
    lblLanguage->setObjectName(QStringLiteral("lblLanguage"));
    LocaleList = new ctlLanguageList(this);
    LocaleList->setObjectName(QStringLiteral("LocaleList"));
    lblLanguage->setBuddy(LocaleList->cboSupportedLocales);
    const DialogButtonRow buttons = createDialogButtonRow(this, QBoxLayout::LeftToRight);
    cmdHelp = buttons.help;
    cmdCancel = buttons.cancel;
    cmdOK = buttons.ok;
    connect(cmdOK, &QPushButton::clicked, this, &frmAddLanguage::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAddLanguage::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmAddLanguage::cmdHelp_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblLanguage);
    layout->addWidget(LocaleList);
    layout->addSpacing(8);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    LocaleList->setMinimumWidth(360);
}

frmAddLanguage::~frmAddLanguage() = default;

int frmAddLanguage::AddLanguage(int &LocaleID, QString &LocaleName)
{
    int result = 0;
    qm::trap("AddLanguage", [&] {
        DialogResult = 0;
        win32::interaction().execDialog(*this);
        if (DialogResult == 1) {
            LocaleID = LocaleList->LocaleID();
            LocaleName = LocaleList->LocaleName();
        }
        result = DialogResult;
    });
    return result;
}

void frmAddLanguage::Form_Load() { lgv_Load(true); }

void frmAddLanguage::Form_Unload() { lgv_Unload(); }

void frmAddLanguage::lgv_UpdateControls()
{
    lgv_SetCaption(*this, 87);
    lgv_SetText(*cmdCancel, 88);
    lgv_SetText(*cmdHelp, 138);
    lgv_SetText(*cmdOK, 89);
    lgv_SetText(*lblLanguage, 96);
    LocaleList->cboSupportedLocales->setAccessibleName(lblLanguage->text());
    LocaleList->cboSupportedLocales->view()->setAccessibleName(lblLanguage->text());
}

void frmAddLanguage::cmdOK_Click()
{
    DialogResult = 1;
    hide();
}

void frmAddLanguage::cmdCancel_Click()
{
    DialogResult = 2;
    hide();
}

void frmAddLanguage::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAddLanguage::cmdHelp_Click()
{
    HelpModule::HtmlHelp(this, HelpModule::HH_HELP_CONTEXT, HelpModule::kTopicAddLanguage);
}

int AddLanguage(int &LocaleID, QString &LocaleName, QWidget *parent)
{
    int result = 0;
    qm::trap("AddLanguage", [&] {
        frmAddLanguage form(parent);
        form.Form_Load();
        result = form.AddLanguage(LocaleID, LocaleName);
        form.Form_Unload();
    });
    return result;
}
