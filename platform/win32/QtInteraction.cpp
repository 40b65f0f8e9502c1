#include "platform/win32/Interaction.h"
#include "platform/win32/MessageTranslator.h"

#include "platform/win32/HtmlHelp.h"
#include "platform/win32/ShellAssociation.h"

#include "platform/win32/QtFileDialog.h"
#include "platform/win32/QtMessageBox.h"

#include <QDesktopServices>
#include <QDialog>
#include <QUrl>

namespace win32 {
namespace {

class QtInteraction final : public Interaction {
public:
    int msgBox(const QString &prompt, int style, const QString &title) override
    {
        if (!isValidMsgBoxStyle(style)) {
            qWarning("win32: message box style %d is not one Windows has", style);
            return 0;
        }
        QtMessageBox box(prompt, style, title);
        ModalLoopScope running;
        box.exec();
        return box.answer();
    }

    int execDialog(QDialog &dialog) override
    {
        ModalLoopScope running;
        return dialog.exec();
    }

    QString getOpenFileName(const FileDialogRequest &request) override
    {
        return runFileDialog(request, QtFileDialog::Open);
    }

    QString getSaveFileName(const FileDialogRequest &request) override
    {
        return runFileDialog(request, QtFileDialog::Save);
    }

    bool shellOpen(const QString &url) override
    {
        // xdg-open starts, then fails on its own when no mail program takes the link.
        const QUrl link(url);
        if (link.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0 && !hasSchemeHandler(QStringLiteral("mailto")))
            return false;
        return QDesktopServices::openUrl(link);
    }

    void makeTopmost(QWidget &window) override
    {
        window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }

    void showHelp(QWidget *owner, const QString &helpFile, int topic) override;

private:
    static QString runFileDialog(const FileDialogRequest &request, QtFileDialog::Mode mode)
    {
        QtFileDialog dialog(request, mode);
        ModalLoopScope running;
        dialog.exec();
        return dialog.chosenFile();
    }
};

// The help window of the application; a help file that cannot be shown is
// reported the way the help viewer reports it, in a box of its own.
void QtInteraction::showHelp(QWidget *owner, const QString &helpFile, int topic)
{
    const qm::Status shown = HtmlHelp(owner, helpFile, topic);
    if (shown.ok())
        return;
    QtMessageBox box(shownMessage(shown.errorString()), vbOKOnly | vbExclamation, QStringLiteral("HTML Help"));
    box.setObjectName(QStringLiteral("HtmlHelpError"));
    ModalLoopScope running;
    box.exec();
}

QtInteraction &defaultInteraction()
{
    static QtInteraction instance;
    return instance;
}

Interaction *g_current = nullptr;

} // namespace

Interaction &interaction() { return g_current ? *g_current : defaultInteraction(); }

Interaction *setInteraction(Interaction *replacement)
{
    Interaction *previous = g_current;
    g_current = replacement;
    return previous;
}

} // namespace win32
