#pragma once

// The host's view of a member's code: its file shown read-only with one line
// marked, for an add-in that points at a place in the code (the host has no
// code editor of its own).

#include "platform/common/Result.h"

#include <QString>
#include <QWidget>

class QPlainTextEdit;

namespace vbide {

class CodeViewer : public QWidget {
    Q_OBJECT
public:
    explicit CodeViewer(QWidget *parent = nullptr);

    // Reads the file (in the code page its text suggests, Windows-1252 when
    // nothing tells) and shows it; the file stays as it is.
    qm::Status open(const QString &path);
    QString path() const { return m_path; }
    // Marks the line (from 1) and scrolls it into view with the cursor on it.
    void markLine(int line);
    int markedLine() const { return m_line; }
    QPlainTextEdit *text() const { return m_text; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateTitle();

    QPlainTextEdit *m_text;
    QString m_path;
    int m_line = 0;
};

} // namespace vbide
