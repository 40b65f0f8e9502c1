#include "editor/FindBar.h"

#include "uistrings/LgvStringModule.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

using LgvStringModule::lgv_string;

namespace {
constexpr int kFindLabel = 640;         // "Fi&nd:"
constexpr int kMatchCase = 641;         // "Match &case"
constexpr int kWholeWord = 642;         // "&Whole word"
constexpr int kRegularExpression = 643; // "Regular e&xpression"
constexpr int kScopeLabel = 644;        // "&In:"
constexpr int kAllLanguages = 645;      // "All languages"
constexpr int kFilterRows = 646;        // "Show only &matching rows"
constexpr int kMissing = 647;           // "Missing &translations"
constexpr int kCloseBar = 651;          // "Close find bar"
constexpr int kBarName = 652;           // "Find bar"
constexpr int kFindPlaceholder = 660;   // "ID or text"
} // namespace

FindBar::FindBar(QWidget *parent)
    : QWidget(parent), m_layout(new QHBoxLayout(this)), m_textLabel(new QLabel(this)), m_text(new QLineEdit(this)),
      m_scopeLabel(new QLabel(this)), m_scope(new QComboBox(this)), m_status(new QLabel(this)),
      m_close(new QToolButton(this)), m_typing(new QTimer(this))
{
    setObjectName(QStringLiteral("FindBar"));
    m_layout->setContentsMargins(4, 2, 4, 2);
    m_text->setObjectName(QStringLiteral("txtFind"));
    m_text->setClearButtonEnabled(true);
    m_text->setMinimumWidth(160);
    m_textLabel->setBuddy(m_text);
    m_layout->addWidget(m_textLabel);
    m_layout->addWidget(m_text, 1);
    m_matchCase = addToggle("chkMatchCase");
    m_wholeWord = addToggle("chkWholeWord");
    m_regularExpression = addToggle("chkRegularExpression");
    m_scope->setObjectName(QStringLiteral("cboFindScope"));
    m_scope->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_scopeLabel->setBuddy(m_scope);
    m_layout->addWidget(m_scopeLabel);
    m_layout->addWidget(m_scope);
    m_filterRows = addToggle("chkFilterRows");
    m_filterRows->setChecked(true);
    m_missing = addToggle("chkMissingTranslations");
    m_togglesEnd = m_layout->count();
    m_status->setObjectName(QStringLiteral("lblFindStatus"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_layout->addWidget(m_status);
    m_close->setObjectName(QStringLiteral("cmdCloseFind"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setAutoRaise(true);
    m_layout->addWidget(m_close);

    m_typing->setSingleShot(true);
    m_typing->setInterval(kTypingPauseMs);
    connect(m_typing, &QTimer::timeout, this, &FindBar::criteriaChanged);
    connect(m_text, &QLineEdit::textChanged, this, [this] { m_typing->start(); });
    connect(m_text, &QLineEdit::returnPressed, this, [this] {
        settle();
        emit findNextRequested(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier);
    });
    connect(m_scope, &QComboBox::activated, this, &FindBar::criteriaChanged);
    connect(m_close, &QToolButton::clicked, this, &FindBar::closeRequested);
    m_scope->addItem(QString(), -1);
    updateTexts();
}

QCheckBox *FindBar::addToggle(const char *objectName)
{
    auto *box = new QCheckBox(this);
    box->setObjectName(QString::fromLatin1(objectName));
    connect(box, &QCheckBox::toggled, this, [this] {
        settle();
        emit criteriaChanged();
    });
    m_layout->addWidget(box);
    return box;
}

QCheckBox *FindBar::addFilterToggle(const QString &objectName, const QString &text)
{
    auto *box = new QCheckBox(text, this);
    box->setObjectName(objectName);
    connect(box, &QCheckBox::toggled, this, [this] {
        settle();
        emit criteriaChanged();
    });
    m_layout->insertWidget(m_togglesEnd++, box);
    return box;
}

FindOptions FindBar::options() const
{
    return {m_matchCase->isChecked(), m_wholeWord->isChecked(), m_regularExpression->isChecked()};
}

TextMatcher FindBar::matcher() const { return TextMatcher(m_text->text(), options()); }

qint32 FindBar::scopeLocale() const { return m_scope->currentIndex() < 0 ? -1 : m_scope->currentData().toInt(); }

void FindBar::setLanguages(const QList<QPair<qint32, QString>> &languages)
{
    const qint32 chosen = scopeLocale();
    while (m_scope->count() > 1)
        m_scope->removeItem(1);
    for (const auto &[locale, name] : languages)
        m_scope->addItem(name, locale);
    const int entry = m_scope->findData(chosen);
    m_scope->setCurrentIndex(entry >= 0 ? entry : 0);
}

void FindBar::setStatus(const QString &text, bool problem)
{
    m_status->setText(text);
    QPalette palette = this->palette();
    if (problem)
        palette.setColor(QPalette::WindowText, QColor(Qt::darkRed));
    m_status->setPalette(palette);
    // Read out with the field, so the user hears why nothing is shown.
    m_text->setAccessibleDescription(problem ? text : QString());
}

void FindBar::open()
{
    show();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void FindBar::updateTexts()
{
    setAccessibleName(lgv_string(kBarName));
    m_textLabel->setText(lgv_string(kFindLabel));
    m_text->setPlaceholderText(lgv_string(kFindPlaceholder));
    m_text->setAccessibleName(QString(lgv_string(kFindLabel)).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    m_matchCase->setText(lgv_string(kMatchCase));
    m_wholeWord->setText(lgv_string(kWholeWord));
    m_regularExpression->setText(lgv_string(kRegularExpression));
    m_scopeLabel->setText(lgv_string(kScopeLabel));
    m_scope->setItemText(0, lgv_string(kAllLanguages));
    m_scope->setAccessibleName(QString(lgv_string(kScopeLabel)).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    m_filterRows->setText(lgv_string(kFilterRows));
    m_missing->setText(lgv_string(kMissing));
    m_close->setAccessibleName(lgv_string(kCloseBar));
    m_close->setToolTip(lgv_string(kCloseBar) + QStringLiteral(" (Esc)"));
}

void FindBar::settle()
{
    if (!m_typing->isActive())
        return;
    m_typing->stop();
    emit criteriaChanged();
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit closeRequested();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
