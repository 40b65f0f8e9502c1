#include "editor/PretranslateDialog.h"

#include "editor/DialogParts.h"
#include "uistrings/LgvStringModule.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using LgvStringModule::lgv_string;

namespace {
constexpr int kTitle = 1219;        // "Pre-translate"
constexpr int kLanguage = 1220;     // "&Language to fill:"
constexpr int kMatch = 1221;        // "&Minimum match:"
constexpr int kExplanation = 1222;
constexpr int kLowestMatch = 70;    // the memory offers nothing below it
QString labelName(int textId) { return withoutAccessKey(lgv_string(textId)).remove(QLatin1Char(':')); }
} // namespace

PretranslateDialog::PretranslateDialog(const QList<QPair<qint32, QString>> &languages, qint32 chosen, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPretranslate"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(lgv_string(kTitle));
    setAccessibleName(lgv_string(kTitle));

    auto *explanation = new QLabel(lgv_string(kExplanation), this);
    explanation->setObjectName(QStringLiteral("lblExplanation"));
    explanation->setWordWrap(true);

    m_languages = new QComboBox(this);
    m_languages->setObjectName(QStringLiteral("cboLanguage"));
    m_languages->setAccessibleName(labelName(kLanguage));
    for (const auto &[locale, name] : languages) {
        m_languages->addItem(name, locale);
        if (locale == chosen)
            m_languages->setCurrentIndex(m_languages->count() - 1);
    }
    m_match = new QSpinBox(this);
    m_match->setObjectName(QStringLiteral("spnMinimumMatch"));
    m_match->setAccessibleName(labelName(kMatch));
    m_match->setRange(kLowestMatch, 100);
    m_match->setValue(100);
    m_match->setSuffix(QStringLiteral(" %"));

    auto *form = new QFormLayout;
    auto *languageLabel = new QLabel(lgv_string(kLanguage), this);
    languageLabel->setBuddy(m_languages);
    auto *matchLabel = new QLabel(lgv_string(kMatch), this);
    matchLabel->setBuddy(m_match);
    form->addRow(languageLabel, m_languages);
    form->addRow(matchLabel, m_match);

    QDialogButtonBox *buttons = okCancelButtons(*this);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(m_languages->count() > 0);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_languages->setFocus();
}

qint32 PretranslateDialog::targetLocale() const
{
    return m_languages->currentData().toInt();
}

int PretranslateDialog::minimumMatch() const
{
    return m_match->value();
}
