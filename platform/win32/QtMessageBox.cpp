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
    const char *name;
};

// Qt's own standard buttons, so their texts follow Qt's translations.
ButtonKind buttonKind(int answer)
{
    switch (answer) {
    case vbOK: return {QMessageBox::Ok, "cmdOK"};
    case vbCancel: return {QMessageBox::Cancel, "cmdCancel"};
    case vbAbort: return {QMessageBox::Abort, "cmdAbort"};
    case vbRetry: return {QMessageBox::Retry, "cmdRetry"};
    case vbIgnore: return {QMessageBox::Ignore, "cmdIgnore"};
    case vbYes: return {QMessageBox::Yes, "cmdYes"};
    default: return {QMessageBox::No, "cmdNo"};
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
        button->setObjectName(QString::fromLatin1(kind.name));
        m_answers.insert(button, answer);
    }
    nameButtons();
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

void QtMessageBox::nameButtons()
{
    for (auto it = m_answers.cbegin(); it != m_answers.cend(); ++it) {
        QAbstractButton *button = it.key();
        // Qt gives Abort, Retry and Ignore no access key; a Windows box underlines their first letter.
        const bool keyed = it.value() == vbAbort || it.value() == vbRetry || it.value() == vbIgnore;
        if (keyed && !button->text().contains(QLatin1Char('&')))
            button->setText(QLatin1Char('&') + button->text());
        button->setAccessibleName(QString(button->text()).remove(QLatin1Char('&')));
    }
}

bool QtMessageBox::event(QEvent *event)
{
    const bool handled = QMessageBox::event(event);
    // The button box has put the new language's texts on its buttons by now.
    if (event->type() == QEvent::LanguageChange)
        nameButtons();
    return handled;
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
