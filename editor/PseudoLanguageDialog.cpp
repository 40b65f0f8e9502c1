#include "editor/PseudoLanguageDialog.h"

#include "editor/DialogParts.h"
#include "editor/LanguageTable.h"
#include "pseudo/PseudoLocale.h"
#include "uistrings/LgvStringModule.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using LgvStringModule::lgv_string;

namespace {
constexpr int kTitle = 1318;       // "Add Pseudo-Language"
constexpr int kLocales = 1319;     // "&Pseudo-locale:"
constexpr int kPlocText = 1324;    // "accented letters, texts 40% longer"
constexpr int kPlocAText = 1325;   // "padded with East Asian characters"
constexpr int kPlocMText = 1326;   // "right to left"
} // namespace

PseudoLanguageDialog::PseudoLanguageDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPseudoLanguage"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(lgv_string(kTitle));
    setAccessibleName(lgv_string(kTitle));

    auto *label = new QLabel(lgv_string(kLocales), this);
    label->setObjectName(QStringLiteral("lblPseudoLocales"));
    m_locales = new QListWidget(this);
    m_locales->setObjectName(QStringLiteral("lstPseudoLocales"));
    m_locales->setAccessibleName(withoutAccessKey(label->text()));
    label->setBuddy(m_locales);
    const struct {
        qint32 locale;
        const char *tag;
        int description;
    } choices[] = {{pseudo::kPloc, "qps-ploc", kPlocText}, {pseudo::kPlocA, "qps-ploca", kPlocAText},
                   {pseudo::kPlocM, "qps-plocm", kPlocMText}};
    for (const auto &[locale, tag, description] : choices) {
        // The Windows name, the tag a tester sets the locale by, and what its texts look like.
        auto *item = new QListWidgetItem(QStringLiteral("%1, %2 (%3)").arg(LanguageTable::nameOf(locale), QLatin1String(tag),
                                                                           lgv_string(description)),
                                         m_locales);
        item->setData(Qt::UserRole, locale);
    }
    m_locales->setCurrentRow(0);

    QDialogButtonBox *buttons = okCancelButtons(*this);
    connect(m_locales, &QListWidget::itemActivated, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_locales);
    layout->addWidget(buttons);
    m_locales->setFocus();
    resize(460, 220);
}

qint32 PseudoLanguageDialog::pseudoLocale() const
{
    const QListWidgetItem *item = m_locales->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : 0;
}
