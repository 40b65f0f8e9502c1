#include "editor/FindBar.h"

#include "editor/FlowLayout.h"
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
    : QWidget(parent), m_flow(new FlowLayout), m_rowsGroup(new QHBoxLayout), m_textLabel(new QLabel(this)),
      m_text(new QLineEdit(this)), m_scopeLabel(new QLabel(this)), m_scope(new QComboBox(this)),
      m_status(new QLabel(this)), m_close(new QToolButton(this)), m_typing(new QTimer(this))
{
    setObjectName(QStringLiteral("FindBar"));
    // The controls wrap into further rows when the editor is narrow, so none is squeezed over another.
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addLayout(m_flow, 1);
    m_flow->setContentsMargins(0, 0, 0, 0);
    const auto group = [this](std::initializer_list<QWidget *> controls) {
        auto *row = new QHBoxLayout;
        for (QWidget *control : controls)
            row->addWidget(control);
        m_flow->addItem(row);
        return row;
    };
    m_text->setObjectName(QStringLiteral("txtFind"));
    m_text->setClearButtonEnabled(true);
    m_text->setMinimumWidth(220);
    m_textLabel->setBuddy(m_text);
    group({m_textLabel, m_text});
    m_matchCase = newToggle(QStringLiteral("chkMatchCase"));
    m_wholeWord = newToggle(QStringLiteral("chkWholeWord"));
    m_regularExpression = newToggle(QStringLiteral("chkRegularExpression"));
    group({m_matchCase, m_wholeWord, m_regularExpression});
    m_scope->setObjectName(QStringLiteral("cboFindScope"));
    m_scope->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_scopeLabel->setBuddy(m_scope);
    group({m_scopeLabel, m_scope});
    m_filterRows = newToggle(QStringLiteral("chkFilterRows"));
    m_filterRows->setChecked(true);
    m_missing = newToggle(QStringLiteral("chkMissingTranslations"));
    m_flow->addItem(m_rowsGroup);
    m_rowsGroup->addWidget(m_filterRows);
    m_rowsGroup->addWidget(m_missing);
    m_status->setObjectName(QStringLiteral("lblFindStatus"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_flow->addWidget(m_status);
    m_close->setObjectName(QStringLiteral("cmdCloseFind"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setAutoRaise(true);
    layout->addWidget(m_close, 0, Qt::AlignTop);

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

QCheckBox *FindBar::newToggle(const QString &objectName)
{
    auto *box = new QCheckBox(this);
    box->setObjectName(objectName);
    connect(box, &QCheckBox::toggled, this, [this] {
        settle();
        emit criteriaChanged();
    });
    return box;
}

QCheckBox *FindBar::addFilterToggle(const QString &objectName, const QString &text)
{
    QCheckBox *box = newToggle(objectName);
    box->setText(text);
    m_rowsGroup->addWidget(box);
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

int FindBar::rowCount() const { return m_flow->rowCount(); }

int FindBar::arrangeForWidth(int width) { return heightForWidth(width); }

bool FindBar::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // The layout has just placed the controls; a text that grew may need another row.
    if ((event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize) && isVisible() &&
        heightForWidth(width()) != height())
        emit rowsRearranged();
    return handled;
}
