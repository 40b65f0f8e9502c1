#include "excel/CaptionedProgressBar.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

CaptionedProgressBar::CaptionedProgressBar(QWidget *parent) : QWidget(parent)
{
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("lblProgressCaption"));
    m_caption->setTextFormat(Qt::PlainText);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("barProgress"));
    m_bar->setTextVisible(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_caption);
    layout->addWidget(m_bar);
    apply();
}

QString CaptionedProgressBar::Caption() const { return m_caption->text(); }

void CaptionedProgressBar::SetCaption(const QString &caption)
{
    m_caption->setText(caption);
    m_caption->setAccessibleName(caption);
    nameForAccessibility();
}

void CaptionedProgressBar::SetSecondaryText(const QString &text)
{
    m_secondary = text;
    apply();
    nameForAccessibility();
}

void CaptionedProgressBar::nameForAccessibility()
{
    const QString name = m_caption->text().isEmpty() ? m_secondary : m_caption->text();
    setAccessibleName(name);
    m_bar->setAccessibleName(name);
}

void CaptionedProgressBar::SetValue(int value)
{
    m_value = value;
    m_started = true;
    apply();
}

void CaptionedProgressBar::SetMin(int minimum)
{
    m_min = minimum;
    apply();
}

void CaptionedProgressBar::SetMax(int maximum)
{
    m_max = maximum;
    apply();
}

void CaptionedProgressBar::Reset()
{
    m_value = 0;
    m_started = false;
    SetCaption(QString());
    apply();
}

void CaptionedProgressBar::apply()
{
    // QProgressBar shows a busy animation for an empty range; an empty run is simply done.
    const bool emptyRange = m_max <= m_min;
    const int maximum = emptyRange ? m_min + 1 : m_max;
    if (m_bar->minimum() != m_min || m_bar->maximum() != maximum)
        m_bar->setRange(m_min, maximum);
    m_bar->setValue(qBound(m_min, emptyRange && m_started ? maximum : m_value, maximum));
    const QString format = m_started ? QStringLiteral("%p%") : m_secondary;
    if (m_bar->format() != format)
        m_bar->setFormat(format);
}
