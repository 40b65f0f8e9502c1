#pragma once

#include "editor/StateCommands.h"

#include <QDialog>

class QLineEdit;
class QSpinBox;

// The comment for translators, the maximum length and the maximum width of
// one string, as the user edits them; OK gives notes() back.
class StringNotesDialog : public QDialog {
    Q_OBJECT
public:
    StringNotesDialog(qint32 id, const StringNotes &notes, QWidget *parent = nullptr);
    StringNotes notes() const;
    QLineEdit *comment() const { return m_comment; }
    QSpinBox *maxLength() const { return m_maxLength; }
    QSpinBox *maxWidth() const { return m_maxWidth; }

private:
    QLineEdit *m_comment = nullptr;
    QSpinBox *m_maxLength = nullptr;
    QSpinBox *m_maxWidth = nullptr;
};
