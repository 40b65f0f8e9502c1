#include "platform/win32/Interaction.h"

#include "platform/win32/HtmlHelp.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace win32 {
namespace {

QMessageBox::StandardButtons buttonsFor(int style)
{
    switch (style & 0x0F) {
    case vbOKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case vbYesNo: return QMessageBox::Yes | QMessageBox::No;
    default: return QMessageBox::Ok;
    }
}

int answerFor(int button)
{
    switch (button) {
    case QMessageBox::Ok: return vbOK;
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    default: return vbCancel;
    }
}

class QtInteraction final : public Interaction {
public:
    int msgBox(const QString &prompt, int style, const QString &title) override
    {
        QMessageBox box((style & vbExclamation) == vbExclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                        title, prompt, buttonsFor(style));
        box.setAccessibleName(title);
        const int button = box.exec();
        // A Yes/No box has no Cancel; Escape or the close box there means No.
        if ((style & 0x0F) == vbYesNo && button != QMessageBox::Yes)
            return vbNo;
        return answerFor(button);
    }

    int execDialog(QDialog &dialog) override { return dialog.exec(); }

    QString getOpenFileName(const FileDialogRequest &request) override
    {
        return QFileDialog::getOpenFileName(nullptr, request.title, request.initialPath,
                                            request.filters.join(QStringLiteral(";;")));
    }

    QString getSaveFileName(const FileDialogRequest &request) override
    {
        QFileDialog dialog(nullptr, request.title, request.initialPath, request.filters.join(QStringLiteral(";;")));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(request.defaultSuffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        if (!request.initialPath.isEmpty())
            dialog.selectFile(request.initialPath);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }

    bool shellOpen(const QString &url) override { return QDesktopServices::openUrl(QUrl(url)); }

    void makeTopmost(QWidget &window) override
    {
        window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }

    void showHelp(const QString &helpFile, int topic) override;
};

// The help window of the application; a help file that cannot be shown is
// reported the way the help viewer reports it, in a box of its own.
void QtInteraction::showHelp(const QString &helpFile, int topic)
{
    const qm::Status shown = HtmlHelp(helpFile, topic);
    if (shown.ok())
        return;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("HTML Help"), shown.errorString(), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("HtmlHelpError"));
    box.setAccessibleName(QStringLiteral("HTML Help"));
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
