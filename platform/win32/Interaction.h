#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace win32 {

// Message box styles and answers, with the values of the Windows API.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNo = 4,
    vbExclamation = 48,
};
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbYes = 6,
    vbNo = 7,
};

struct FileDialogRequest {
    QString title;
    QString initialPath;   // folder, or folder and proposed file name
    QStringList filters;   // "Resource files (*.res)", ...
    QString defaultSuffix; // without the dot
    bool confirmOverwrite = true;
};

// Everything the system shows to the user or asks of them passes through here,
// so that it can run headless under a scripted stand-in.
class Interaction {
public:
    virtual ~Interaction() = default;

    // Shows a message box; returns one of MsgBoxResult.
    virtual int msgBox(const QString &prompt, int style, const QString &title) = 0;
    // Runs a dialog modally; returns QDialog::exec()'s result. The dialog stays
    // alive so the caller can read its fields afterwards.
    virtual int execDialog(QDialog &dialog) = 0;
    // Empty when the user cancelled.
    virtual QString getOpenFileName(const FileDialogRequest &request) = 0;
    virtual QString getSaveFileName(const FileDialogRequest &request) = 0;
    // Opens a URL (mailto:, file:, http:) with the desktop's handler; false when none could be started.
    virtual bool shellOpen(const QString &url) = 0;
    // Keeps a window above all others without moving, resizing or activating it.
    virtual void makeTopmost(QWidget &window) = 0;
    // Opens the help set at a context topic (0: the default topic).
    virtual void showHelp(const QString &helpFile, int topic) = 0;
};

// The process-wide interaction in use. Defaults to the real Qt one.
Interaction &interaction();
// Installs another interaction (tests). Returns the previous one; nullptr restores the default.
Interaction *setInteraction(Interaction *replacement);

} // namespace win32
