#include "support/frmProperties.h"

#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmProperties::frmProperties(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProperties"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmProperties::cmdOK_Click);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

frmProperties::~frmProperties() = default;

void frmProperties::Form_Load() { lgv_Load(false); }

void frmProperties::Form_Unload() { lgv_Unload(); }

void frmProperties::lgv_UpdateControls()
{
    lgv_SetCaption(*this, 502);
    lgv_SetText(*cmdOK, 51);
    lgv_SetText(*Label1, 503);
}

void frmProperties::cmdOK_Click()
{
    Result = 1;
    hide();
}

int ShowPropertiesDialog(QWidget *parent)
{
    int result = 2;
    qm::trap("ShowPropertiesDialog", [&] {
        frmProperties form(parent);
        form.Form_Load();
        form.Result = 2;
        win32::interaction().execDialog(form);
        result = form.Result;
        form.Form_Unload();
    });
    return result;
}
