#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// A progress bar with a caption above it (the language being imported,
// "Export complete", ...) and a secondary text shown on the bar until the
// first value arrives.
class CaptionedProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit CaptionedProgressBar(QWidget *parent = nullptr);

    QString Caption() const;
    void SetCaption(const QString &caption);
    QString SecondaryText() const { return m_secondary; }
    void SetSecondaryText(const QString &text);

    int Value() const { return m_value; }
    void SetValue(int value);
    int Min() const { return m_min; }
    void SetMin(int minimum);
    int Max() const { return m_max; }
    void SetMax(int maximum);
    // Back to the state before any run: no caption, no value, the secondary text.
    void Reset();

    QProgressBar *bar() const { return m_bar; }

private:
    void apply();
    void nameForAccessibility();

    QLabel *m_caption;
    QProgressBar *m_bar;
    QString m_secondary;
    int m_value = 0;
    int m_min = 0;
    int m_max = 100;
    bool m_started = false;
};
