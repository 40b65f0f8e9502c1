#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace win32 {

// Message box styles and answers, with the values of the Windows API.
// A style is one button set, plus at most one icon, plus a default button.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};
inline constexpr int kMsgBoxButtonsMask = 0x0F;
inline constexpr int kMsgBoxIconMask = 0xF0;
inline constexpr int kMsgBoxDefaultMask = 0xF00;

// The answers a box of this style can give, in the order its buttons stand;
// empty for a style no message box has.
QList<int> msgBoxAnswers(int style);
// What Escape and the close box answer; 0 when the box cannot be escaped
// (Abort, Retry and Ignore: the user has to choose).
int msgBoxEscapeAnswer(int style);
// Whether the style is one a message box can show (buttons, icon, default button).
bool isValidMsgBoxStyle(int style);

struct FileDialogRequest {
    QString title;
    QString initialPath;   // folder, or folder and proposed file name
    QStringList filters;   // "Resource files (*.res)", ...
    QString defaultSuffix; // without the dot
    bool confirmOverwrite = true;  // OFN_OVERWRITEPROMPT
    bool pathMustExist = false;    // OFN_PATHMUSTEXIST: the file's folder must exist
    bool fileMustExist = false;    // OFN_FILEMUSTEXIST: the file itself must exist
};

// Why a file dialog would not take this answer; empty when it takes it.
QString fileDialogRefusal(const FileDialogRequest &request, const QString &path);

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
    // Opens the help set at a context topic (0: the default topic) in a window
    // owned by owner (the window of the help button), or by none.
    virtual void showHelp(QWidget *owner, const QString &helpFile, int topic) = 0;
};

// How many modal dialogs and message boxes are running their own event loop
// now. Their windows sit on the stack below: none of them, nor a window they
// belong to, may be deleted until the count is back to what it was.
int modalLoopDepth();
// Counts one running modal loop for as long as it lives.
class ModalLoopScope {
public:
    ModalLoopScope();
    ~ModalLoopScope();
    ModalLoopScope(const ModalLoopScope &) = delete;
    ModalLoopScope &operator=(const ModalLoopScope &) = delete;
};

// The process-wide interaction in use. Defaults to the real Qt one.
Interaction &interaction();
// Installs another interaction (tests). Returns the previous one; nullptr restores the default.
Interaction *setInteraction(Interaction *replacement);

} // namespace win32
