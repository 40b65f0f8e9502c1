#pragma once

// "Show Uses": the places in the project's code that read one string, one per
// line; Open (or Enter, or a double click) chooses one for the host to show.

#include "coderefs/CodeReferences.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

class UsesDialog : public QDialog {
    Q_OBJECT
public:
    UsesDialog(qint32 id, const coderefs::CodeReferences &references, QWidget *parent = nullptr);

    // The use chosen, an index into the references' uses; -1 when none was.
    qsizetype chosen() const { return m_chosen; }

    QListWidget *places() const { return m_places; }
    QPushButton *openButton() const { return m_open; }

private:
    void openChosen();

    QList<qsizetype> m_uses;
    qsizetype m_chosen = -1;
    QListWidget *m_places = nullptr;
    QPushButton *m_open = nullptr;
};
