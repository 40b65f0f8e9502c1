#include "platform/win32/ScriptedInteraction.h"

#include <QDialog>

namespace win32 {

ScriptedInteraction::ScriptedInteraction() : m_previous(setInteraction(this)) {}

ScriptedInteraction::~ScriptedInteraction() { setInteraction(m_previous); }

int ScriptedInteraction::msgBox(const QString &prompt, int style, const QString &title)
{
    messageBoxes.append({prompt, style, title});
    if (m_msgBoxAnswers.empty()) {
        unexpected.append(QStringLiteral("message box: ") + prompt);
        return vbCancel;
    }
    const int answer = m_msgBoxAnswers.front();
    m_msgBoxAnswers.pop_front();
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
    return script(dialog);
}

QString ScriptedInteraction::getOpenFileName(const FileDialogRequest &request)
{
    fileDialogs.append(request);
    if (m_fileAnswers.empty()) {
        unexpected.append(QStringLiteral("open file dialog: ") + request.title);
        return {};
    }
    QString path = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    return path;
}

QString ScriptedInteraction::getSaveFileName(const FileDialogRequest &request)
{
    fileDialogs.append(request);
    if (m_fileAnswers.empty()) {
        unexpected.append(QStringLiteral("save file dialog: ") + request.title);
        return {};
    }
    QString path = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    return path;
}

bool ScriptedInteraction::shellOpen(const QString &url)
{
    shellOpened.append(url);
    return m_shellSucceeds;
}

void ScriptedInteraction::makeTopmost(QWidget &window) { topmostWindows.append(&window); }

void ScriptedInteraction::showHelp(const QString &helpFile, int topic) { helpShown.append({helpFile, topic}); }

} // namespace win32
