#pragma once

#include "platform/win32/Interaction.h"

#include <QList>

#include <deque>
#include <functional>

namespace win32 {

// A stand-in for the user in tests. Each question the system asks takes the next
// scripted answer of its kind; a question with no answer left is recorded as
// unexpected and answered with Cancel, so a test can fail on it. It holds the
// system to what the real dialogs allow: a message box style Windows does not
// have, or an answer that box has no button for, is recorded as unexpected (the
// box then answers as Escape would), and a file name the dialog's rules refuse
// is recorded in refusedFiles while the dialog takes the next answer, as a user
// who is told the name is wrong chooses again.
class ScriptedInteraction : public Interaction {
public:
    struct MessageBoxCall {
        QString prompt;
        int style;
        QString title;
    };

    using DialogScript = std::function<int(QDialog &)>;

    ScriptedInteraction();  // installs itself
    ~ScriptedInteraction() override;  // puts the previous interaction back

    void answerMsgBox(int answer) { m_msgBoxAnswers.push_back(answer); }
    void answerDialog(DialogScript script) { m_dialogScripts.push_back(std::move(script)); }
    void answerFileDialog(const QString &path) { m_fileAnswers.push_back(path); }
    // What shellOpen() returns.
    void setShellSucceeds(bool succeeds) { m_shellSucceeds = succeeds; }

    QList<MessageBoxCall> messageBoxes;
    QList<FileDialogRequest> fileDialogs;
    QStringList shellOpened;
    QList<QWidget *> topmostWindows;
    QList<QPair<QString, int>> helpShown;  // help file and topic
    QList<QWidget *> helpOwners;            // the window each help was opened for
    QStringList refusedFiles;  // file names a dialog's rules refused
    QStringList unexpected;  // questions that found no scripted answer

    int msgBox(const QString &prompt, int style, const QString &title) override;
    int execDialog(QDialog &dialog) override;
    QString getOpenFileName(const FileDialogRequest &request) override;
    QString getSaveFileName(const FileDialogRequest &request) override;
    bool shellOpen(const QString &url) override;
    void makeTopmost(QWidget &window) override;
    void showHelp(QWidget *owner, const QString &helpFile, int topic) override;

private:
    QString nextFile(const FileDialogRequest &request, const QString &kind);

    Interaction *m_previous = nullptr;
    std::deque<int> m_msgBoxAnswers;
    std::deque<DialogScript> m_dialogScripts;
    std::deque<QString> m_fileAnswers;
    bool m_shellSucceeds = true;
};

} // namespace win32
