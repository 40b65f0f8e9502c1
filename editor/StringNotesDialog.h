#pragma once

#include "editor/StateCommands.h"

#include <QDialog>

class QLineEdit;
class QSpinBox;

// The comment for translators and the maximum length of one string, as the
// user edits them; OK gives notes() back.
class StringNotesDialog : public QDialog {
    Q_OBJECT
public:
    StringNotesDialog(qint32 id, const StringNotes &notes, QWidget *parent = nullptr);
    StringNotes notes() const;
    QLineEdit *comment() const { return m_comment; }
    QSpinBox *maxLength() const { return m_maxLength; }

private:
    QLineEdit *m_comment = nullptr;
    QSpinBox *m_maxLength = nullptr;
};
