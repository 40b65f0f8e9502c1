#pragma once

#include <QHash>
#include <QMessageBox>

namespace win32 {

// A message box laid out from a Windows message box style: its buttons, icon
// and default button. answer() is the Windows answer of the button that
// closed it; Escape and the close box give msgBoxEscapeAnswer(), and do
// nothing where the style has none.
class QtMessageBox : public QMessageBox {
    Q_OBJECT
public:
    QtMessageBox(const QString &prompt, int style, const QString &title);

    // The button that gives this answer, if the style has it.
    QAbstractButton *buttonFor(int answer) const;
    int answer() const;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Access keys Qt leaves out, and accessible names from the texts in use.
    void nameButtons();

    int m_escapeAnswer = 0;
    QHash<QAbstractButton *, int> m_answers;
};

} // namespace win32
