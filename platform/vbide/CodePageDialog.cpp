#include "platform/vbide/CodePageDialog.h"

#include "platform/vbproject/ProjectCodePage.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vbide {

CodePageDialog::CodePageDialog(const QString &fileName, const QByteArray &current, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCodePage"));
    setAccessibleName(QStringLiteral("Reopen with Code Page"));
    setWindowTitle(QStringLiteral("Reopen with Code Page"));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstCodePages"));
    m_list->setAccessibleName(QStringLiteral("Code pages"));
    for (const AnsiCodePage &page : ansiCodePages()) {
        auto *item = new QListWidgetItem(QStringLiteral("%1  %2").arg(page.number).arg(QLatin1String(page.caption)), m_list);
        item->setData(Qt::UserRole, QByteArray(page.codec));
        if (current.compare(page.codec, Qt::CaseInsensitive) == 0)
            m_list->setCurrentItem(item);
    }
    auto *prompt = new QLabel(QStringLiteral("Read %1 in the &code page:").arg(QFileInfo(fileName).fileName()), this);
    prompt->setObjectName(QStringLiteral("lblCodePage"));
    prompt->setAccessibleName(prompt->text().remove(QLatin1Char('&')));
    prompt->setBuddy(m_list);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttons->setAccessibleName(QStringLiteral("OK and Cancel"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
    const auto enableOk = [this, buttons] { buttons->button(QDialogButtonBox::Ok)->setEnabled(m_list->currentItem()); };
    connect(m_list, &QListWidget::currentItemChanged, this, enableOk);
    enableOk();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    m_list->setFocus();
    resize(380, 420);
}

QByteArray CodePageDialog::codePage() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item ? item->data(Qt::UserRole).toByteArray() : QByteArray();
}

} // namespace vbide
