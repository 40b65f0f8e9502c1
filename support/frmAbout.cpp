#include "support/frmAbout.h"

#include "platform/win32/Interaction.h"
#include "support/ErrorTrap.h"
#include "support/Globals.h"
#include "support/HelpModule.h"
#include "support/ProductTitle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>
#include <QVBoxLayout>

namespace {
const QString kProductName = qm::productTitle();
// Room a title bar takes beside its caption: the window icon and three buttons.
constexpr int kTitleBarButtons = 160;
}

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    imgIcon = new QLabel(this);
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    imgIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    imgIcon->setAccessibleName(kProductName);
    Label1 = new QLabel(kProductName, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAccessibleName(kProductName);
    QFont heading = Label1->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.3);
    Label1->setFont(heading);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdHelp = new QPushButton(this);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    cmdHelp->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmAbout::cmdHelp_Click);

    auto *texts = new QVBoxLayout;
    texts->addWidget(Label1);
    texts->addWidget(lblVersion);
    texts->addStretch(1);
    auto *head = new QHBoxLayout;
    head->addWidget(imgIcon, 0, Qt::AlignTop);
    head->addSpacing(12);
    head->addLayout(texts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdHelp);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    auto *layout = new QVBoxLayout(this);
    captionRoom = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addItem(captionRoom);
    layout->addLayout(head);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load() { lgv_Load(true); }

void frmAbout::Form_Unload() { lgv_Unload(); }

void frmAbout::lgv_UpdateControls()
{
    lgv_SetCaption(*this, 100);
    // The box is as wide as its contents; the caption must fit into its title bar too.
    QFont titleFont = font();
    titleFont.setBold(true);
    captionRoom->changeSize(QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + kTitleBarButtons, 0,
                            QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout()->invalidate();
    lgv_SetText(*cmdHelp, 138);
    lgv_SetText(*cmdOK, 109);
    // String 106 is only a placeholder ("Version xxx"); the running version
    // replaces it here, so a language change never brings the placeholder back.
    // Before the connection has built VersionText, the library's own version is the running one.
    const QString version = VersionText.isEmpty() ? LibraryVersionText() : VersionText;
    lblVersion->setText(version);
    lblVersion->setAccessibleName(version);
}

void frmAbout::cmdOK_Click() { accept(); }

void frmAbout::cmdHelp_Click()
{
    qm::trap("cmdHelp_Click", [&] { HelpModule::HtmlHelp(this, HelpModule::HH_HELP_CONTEXT, HelpModule::kTopicAbout); });
}

void ShowAboutDialog(QWidget *parent)
{
    qm::trap("ShowAboutDialog", [&] {
        frmAbout form(parent);
        form.Form_Load();
        win32::interaction().execDialog(form);
        form.Form_Unload();
    });
}
