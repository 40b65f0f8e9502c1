#include "languages/frmRemoveLanguage.h"

#include "languages/DialogButtonRow.h"
#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"
#include "support/HelpModule.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>

frmRemoveLanguage::frmRemoveLanguage(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmRemoveLanguage"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lstLanguages = new QListWidget(this);
    lstLanguages->setObjectName(QStringLiteral("lstLanguages"));
    lstLanguages->setSelectionMode(QAbstractItemView::SingleSelection);
    const DialogButtonRow buttons = createDialogButtonRow(this, QBoxLayout::TopToBottom);
    cmdHelp = buttons.help;
    cmdCancel = buttons.cancel;
    cmdOK = buttons.ok;
    connect(lstLanguages, &QListWidget::itemSelectionChanged, this, &frmRemoveLanguage::lstLanguages_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmRemoveLanguage::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRemoveLanguage::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmRemoveLanguage::cmdHelp_Click);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(lstLanguages, 1);
    layout->addLayout(buttons.layout);
    setFixedSize(420, 260);
}

frmRemoveLanguage::~frmRemoveLanguage() = default;

int frmRemoveLanguage::RemoveLanguage(int &LangIndex)
{
    int result = 0;
    qm::trap("RemoveLanguage", [&] {
        DialogResult = 2;
        if (lstLanguages->count() > 0) {
            lstLanguages->clearSelection();
            lstLanguages->setCurrentRow(-1);
            cmdOK->setEnabled(false);
            win32::interaction().execDialog(*this);
            const QList<QListWidgetItem *> selected = lstLanguages->selectedItems();
            if (!selected.isEmpty())
                LangIndex = selected.constFirst()->data(Qt::UserRole).toInt();
            else
                DialogResult = 2;
        }
        result = DialogResult;
    });
    return result;
}

void frmRemoveLanguage::Form_Load() { lgv_Load(false); }

void frmRemoveLanguage::Form_Unload() { lgv_Unload(); }

void frmRemoveLanguage::lgv_UpdateControls()
{
    lgv_SetCaption(*this, 27);
    lgv_SetText(*cmdCancel, 82);
    lgv_SetText(*cmdHelp, 138);
    lgv_SetText(*cmdOK, 51);
    lstLanguages->setAccessibleName(windowTitle());
}

void frmRemoveLanguage::lstLanguages_Click() { cmdOK->setEnabled(!lstLanguages->selectedItems().isEmpty()); }

void frmRemoveLanguage::cmdOK_Click()
{
    DialogResult = 1;
    hide();
}

void frmRemoveLanguage::cmdCancel_Click()
{
    DialogResult = 2;
    hide();
}

void frmRemoveLanguage::cmdHelp_Click()
{
    HelpModule::HtmlHelp(this, HelpModule::HH_HELP_CONTEXT, HelpModule::kTopicRemoveLanguage);
}
