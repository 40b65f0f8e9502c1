#include "platform/win32/QtMessageBox.h"

#include "platform/win32/Interaction.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>

namespace win32 {
namespace {

struct ButtonKind {
    QMessageBox::StandardButton button;
    const char *text;
    const char *name;
};

ButtonKind buttonKind(int answer)
{
    switch (answer) {
    case vbOK: return {QMessageBox::Ok, "OK", "cmdOK"};
    case vbCancel: return {QMessageBox::Cancel, "Cancel", "cmdCancel"};
    case vbAbort: return {QMessageBox::Abort, "&Abort", "cmdAbort"};
    case vbRetry: return {QMessageBox::Retry, "&Retry", "cmdRetry"};
    case vbIgnore: return {QMessageBox::Ignore, "&Ignore", "cmdIgnore"};
    case vbYes: return {QMessageBox::Yes, "&Yes", "cmdYes"};
    default: return {QMessageBox::No, "&No", "cmdNo"};
    }
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & kMsgBoxIconMask) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

QtMessageBox::QtMessageBox(const QString &prompt, int style, const QString &title)
    : QMessageBox(iconFor(style), title, prompt, QMessageBox::NoButton)
{
    setObjectName(QStringLiteral("MessageBox"));
    setAccessibleName(title);
    setAccessibleDescription(prompt);
    setTextFormat(Qt::PlainText);

    const QList<int> answers = msgBoxAnswers(style);
    for (int answer : answers) {
        const ButtonKind kind = buttonKind(answer);
        QAbstractButton *button = addButton(kind.button);
        button->setText(QString::fromLatin1(kind.text));
        button->setObjectName(QString::fromLatin1(kind.name));
        button->setAccessibleName(QString(QString::fromLatin1(kind.text)).remove(QLatin1Char('&')));
        m_answers.insert(button, answer);
    }
    if (!answers.isEmpty()) {
        const int defaultIndex = std::min<int>((style & kMsgBoxDefaultMask) >> 8, int(answers.size()) - 1);
        if (auto *push = qobject_cast<QPushButton *>(buttonFor(answers[defaultIndex])))
            setDefaultButton(push);
    }
    m_escapeAnswer = msgBoxEscapeAnswer(style);
    if (QAbstractButton *escape = buttonFor(m_escapeAnswer))
        setEscapeButton(escape);
    else
        setWindowFlag(Qt::WindowCloseButtonHint, false);
}

QAbstractButton *QtMessageBox::buttonFor(int answer) const
{
    for (auto it = m_answers.cbegin(); it != m_answers.cend(); ++it) {
        if (it.value() == answer)
            return it.key();
    }
    return nullptr;
}

int QtMessageBox::answer() const
{
    if (QAbstractButton *clicked = clickedButton())
        return m_answers.value(clicked, m_escapeAnswer);
    // Closed without a button, as when the host shuts down: the answer that backs out.
    return m_escapeAnswer ? m_escapeAnswer : int(vbAbort);
}

void QtMessageBox::keyPressEvent(QKeyEvent *event)
{
    if (m_escapeAnswer == 0 && event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QMessageBox::keyPressEvent(event);
}

void QtMessageBox::closeEvent(QCloseEvent *event)
{
    if (m_escapeAnswer == 0 && event->spontaneous()) {
        event->ignore();
        return;
    }
    QMessageBox::closeEvent(event);
}

} // namespace win32
