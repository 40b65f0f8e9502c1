#include "editor/UsesDialog.h"

#include "editor/DialogParts.h"
#include "editor/UseNotes.h"
#include "uistrings/LgvStringModule.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kTitle = 857;   // "Uses of String %0"
constexpr int kPlaces = 858;  // "&Places in the code:"
constexpr int kOpen = 859;    // "&Open"
constexpr int kNoUse = 847;   // "No code of the project uses this string"
} // namespace

UsesDialog::UsesDialog(qint32 id, const coderefs::CodeReferences &references, QWidget *parent)
    : QDialog(parent), m_uses(references.stringUses(id))
{
    setObjectName(QStringLiteral("frmShowUses"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const QString title = SubstituteParameters(lgv_string(kTitle), QString::number(id));
    setWindowTitle(title);
    setAccessibleName(title);

    m_places = new QListWidget(this);
    m_places->setObjectName(QStringLiteral("lstPlaces"));
    m_places->setAccessibleName(withoutAccessKey(lgv_string(kPlaces)));
    m_places->setSelectionMode(QAbstractItemView::SingleSelection);
    for (qsizetype use : std::as_const(m_uses)) {
        const coderefs::ResourceUse &at = references.uses[use];
        auto *item = new QListWidgetItem(UseNotes::placeText(references, at) + QStringLiteral(":  ") +
                                             QLatin1String(coderefs::callName(at.call)) + QLatin1Char('(') +
                                             at.expression + QLatin1Char(')'),
                                         m_places);
        item->setData(Qt::UserRole, use);
    }
    auto *label = new QLabel(m_uses.isEmpty() ? lgv_string(kNoUse) : lgv_string(kPlaces), this);
    label->setObjectName(QStringLiteral("lblPlaces"));
    label->setAccessibleName(withoutAccessKey(label->text()));
    label->setBuddy(m_places);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    m_open = buttons->addButton(lgv_string(kOpen), QDialogButtonBox::AcceptRole);
    m_open->setObjectName(QStringLiteral("cmdOpen"));
    m_open->setAccessibleName(withoutAccessKey(lgv_string(kOpen)));
    m_open->setDefault(true);
    QPushButton *close = buttons->button(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setAccessibleName(withoutAccessKey(close->text()));
    connect(m_open, &QPushButton::clicked, this, &UsesDialog::openChosen);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_places, &QListWidget::itemActivated, this, &UsesDialog::openChosen);
    const auto enableOpen = [this] { m_open->setEnabled(m_places->currentItem() != nullptr); };
    connect(m_places, &QListWidget::currentItemChanged, this, enableOpen);
    if (m_places->count() > 0)
        m_places->setCurrentRow(0);
    enableOpen();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_places, 1);
    layout->addWidget(buttons);
    m_places->setFocus();
    resize(520, 300);
}

void UsesDialog::openChosen()
{
    const QListWidgetItem *item = m_places->currentItem();
    if (!item)
        return;
    m_chosen = item->data(Qt::UserRole).toLongLong();
    accept();
}
