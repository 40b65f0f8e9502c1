#include "platform/win32/ScriptedInteraction.h"

#include <QDialog>

namespace win32 {

ScriptedInteraction::ScriptedInteraction() : m_previous(setInteraction(this)) {}

ScriptedInteraction::~ScriptedInteraction() { setInteraction(m_previous); }

int ScriptedInteraction::msgBox(const QString &prompt, int style, const QString &title)
{
    messageBoxes.append({prompt, style, title});
    if (!isValidMsgBoxStyle(style)) {
        unexpected.append(QStringLiteral("message box style %1: ").arg(style) + prompt);
        return 0;
    }
    if (m_msgBoxAnswers.empty()) {
        unexpected.append(QStringLiteral("message box: ") + prompt);
        return vbCancel;
    }
    const int answer = m_msgBoxAnswers.front();
    m_msgBoxAnswers.pop_front();
    if (!msgBoxAnswers(style).contains(answer)) {
        unexpected.append(QStringLiteral("message box answer %1 that style %2 cannot give: ").arg(answer).arg(style) +
                          prompt);
        return msgBoxEscapeAnswer(style);
    }
    return answer;
}

int ScriptedInteraction::execDialog(QDialog &dialog)
{
    if (m_dialogScripts.empty()) {
        unexpected.append(QStringLiteral("dialog: ") + dialog.objectName());
        return QDialog::Rejected;
    }
    DialogScript script = std::move(m_dialogScripts.front());
    m_dialogScripts.pop_front();
    // A script may run the dialog for real.
    ModalLoopScope running;
    return script(dialog);
}

QString ScriptedInteraction::nextFile(const FileDialogRequest &request, const QString &kind)
{
    fileDialogs.append(request);
    while (!m_fileAnswers.empty()) {
        QString path = m_fileAnswers.front();
        m_fileAnswers.pop_front();
        if (path.isEmpty() || fileDialogRefusal(request, path).isEmpty())
            return path;
        refusedFiles.append(path);
    }
    unexpected.append(kind + request.title);
    return {};
}

QString ScriptedInteraction::getOpenFileName(const FileDialogRequest &request)
{
    return nextFile(request, QStringLiteral("open file dialog: "));
}

QString ScriptedInteraction::getSaveFileName(const FileDialogRequest &request)
{
    return nextFile(request, QStringLiteral("save file dialog: "));
}

bool ScriptedInteraction::shellOpen(const QString &url)
{
    shellOpened.append(url);
    return m_shellSucceeds;
}

void ScriptedInteraction::makeTopmost(QWidget &window) { topmostWindows.append(&window); }

void ScriptedInteraction::showHelp(QWidget *owner, const QString &helpFile, int topic)
{
    helpShown.append({helpFile, topic});
    helpOwners.append(owner);
}

} // namespace win32
