#include "platform/vbide/AddInManagerDialog.h"

#include "platform/vbide/AddIn.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/ComRegistration.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vbide {

AddInManagerDialog::AddInManagerDialog(Addins *addins, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAddInManager"));
    setAccessibleName(QStringLiteral("Add-In Manager"));
    setWindowTitle(QStringLiteral("Add-In Manager"));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstAddIns"));
    m_list->setAccessibleName(QStringLiteral("Available Add-Ins"));
    m_list->setHeaderLabels({QStringLiteral("Available Add-Ins"), QStringLiteral("Load Behavior")});
    m_list->setRootIsDecorated(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);

    m_description = new QPlainTextEdit(this);
    m_description->setObjectName(QStringLiteral("txtDescription"));
    m_description->setAccessibleName(QStringLiteral("Description"));
    m_description->setReadOnly(true);
    m_description->setMaximumHeight(80);
    auto *descriptionLabel = new QLabel(QStringLiteral("&Description"), this);
    descriptionLabel->setObjectName(QStringLiteral("lblDescription"));
    descriptionLabel->setAccessibleName(QStringLiteral("Description"));
    descriptionLabel->setBuddy(m_description);

    auto *behavior = new QGroupBox(QStringLiteral("Load Behavior"), this);
    behavior->setObjectName(QStringLiteral("fraLoadBehavior"));
    behavior->setAccessibleName(QStringLiteral("Load Behavior"));
    m_loaded = new QCheckBox(QStringLiteral("&Loaded/Unloaded"), behavior);
    m_loaded->setObjectName(QStringLiteral("chkLoaded"));
    m_loaded->setAccessibleName(QStringLiteral("Loaded/Unloaded"));
    m_startup = new QCheckBox(QStringLiteral("Load on &Startup"), behavior);
    m_startup->setObjectName(QStringLiteral("chkLoadOnStartup"));
    m_startup->setAccessibleName(QStringLiteral("Load on Startup"));
    m_commandLine = new QCheckBox(QStringLiteral("&Command Line"), behavior);
    m_commandLine->setObjectName(QStringLiteral("chkCommandLine"));
    m_commandLine->setAccessibleName(QStringLiteral("Command Line"));
    auto *behaviorLayout = new QVBoxLayout(behavior);
    behaviorLayout->addWidget(m_loaded);
    behaviorLayout->addWidget(m_startup);
    behaviorLayout->addWidget(m_commandLine);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttons->setAccessibleName(QStringLiteral("OK and Cancel"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout;
    auto *descriptionColumn = new QVBoxLayout;
    descriptionColumn->addWidget(descriptionLabel);
    descriptionColumn->addWidget(m_description);
    bottom->addLayout(descriptionColumn, 1);
    bottom->addWidget(behavior);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
    layout->addWidget(buttons);

    for (AddIn *addIn : *addins) {
        m_choices.append({addIn->ProgId(), addIn->Connect(), addIn->LoadBehavior()});
        m_descriptions.append(addIn->Description());
        auto *item = new QTreeWidgetItem(m_list, {addIn->FriendlyName(), QString()});
        item->setToolTip(0, addIn->ProgId());
        refreshRow(int(m_choices.size()) - 1);
    }
    connect(m_list, &QTreeWidget::currentItemChanged, this, &AddInManagerDialog::showCurrent);
    connect(m_loaded, &QCheckBox::toggled, this, &AddInManagerDialog::takeChecks);
    connect(m_startup, &QCheckBox::toggled, this, &AddInManagerDialog::takeChecks);
    connect(m_commandLine, &QCheckBox::toggled, this, &AddInManagerDialog::takeChecks);
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    showCurrent();
    resize(520, 380);
}

QString AddInManagerDialog::behaviorText(bool loaded, std::uint32_t loadBehavior)
{
    QStringList parts;
    if (loadBehavior & LoadBehaviorStartup)
        parts << QStringLiteral("Startup");
    if (loaded)
        parts << QStringLiteral("Loaded");
    if (loadBehavior & LoadBehaviorCommandLine)
        parts << QStringLiteral("Command Line");
    return parts.join(QStringLiteral(" / "));
}

void AddInManagerDialog::refreshRow(int row)
{
    if (QTreeWidgetItem *item = m_list->topLevelItem(row))
        item->setText(1, behaviorText(m_choices[row].loaded, m_choices[row].loadBehavior));
}

void AddInManagerDialog::showCurrent()
{
    const int row = m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
    const bool any = row >= 0;
    m_updating = true;
    m_description->setPlainText(any ? m_descriptions[row] : QString());
    m_loaded->setChecked(any && m_choices[row].loaded);
    m_startup->setChecked(any && (m_choices[row].loadBehavior & LoadBehaviorStartup));
    m_commandLine->setChecked(any && (m_choices[row].loadBehavior & LoadBehaviorCommandLine));
    m_updating = false;
    m_loaded->setEnabled(any);
    m_startup->setEnabled(any);
    m_commandLine->setEnabled(any);
}

void AddInManagerDialog::takeChecks()
{
    const int row = m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
    if (m_updating || row < 0)
        return;
    Choice &choice = m_choices[row];
    choice.loaded = m_loaded->isChecked();
    choice.loadBehavior = (m_startup->isChecked() ? LoadBehaviorStartup : 0u)
                          | (m_commandLine->isChecked() ? LoadBehaviorCommandLine : 0u);
    refreshRow(row);
}

} // namespace vbide
