#pragma once

// Asks in which ANSI code page to read a project file again, for when the
// guessed one shows its names wrongly.

#include <QByteArray>
#include <QDialog>

class QListWidget;

namespace vbide {

class CodePageDialog : public QDialog {
    Q_OBJECT
public:
    // fileName: the file shown in the prompt; current: the codec it was read in.
    CodePageDialog(const QString &fileName, const QByteArray &current, QWidget *parent = nullptr);

    // The codec of the selected code page; empty when none is selected.
    QByteArray codePage() const;
    QListWidget *list() const { return m_list; }

private:
    QListWidget *m_list;
};

} // namespace vbide
