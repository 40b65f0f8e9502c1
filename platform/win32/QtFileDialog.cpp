#include "platform/win32/QtFileDialog.h"

#include "platform/win32/QtMessageBox.h"

#include <QFileInfo>

namespace win32 {

QtFileDialog::QtFileDialog(const FileDialogRequest &request, Mode mode)
    : QFileDialog(nullptr, request.title, request.initialPath, request.filters.join(QStringLiteral(";;"))),
      m_request(request)
{
    setObjectName(QStringLiteral("FileDialog"));
    setAccessibleName(request.title.isEmpty() ? (mode == Save ? tr("Save As") : tr("Open")) : request.title);
    // Qt's own dialog, so the rules below apply on every desktop.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(mode == Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // The rules are checked on accepting, with a message, as a Windows dialog does.
    setFileMode(QFileDialog::AnyFile);
    setDefaultSuffix(request.defaultSuffix);
    setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.initialPath.isEmpty())
        selectFile(request.initialPath);
}

QString QtFileDialog::chosenFile() const
{
    if (result() != QDialog::Accepted || selectedFiles().isEmpty())
        return {};
    return selectedFiles().constFirst();
}

void QtFileDialog::accept()
{
    const QStringList files = selectedFiles();
    // A folder's name opens that folder.
    if (!files.isEmpty() && QFileInfo(files.constFirst()).isDir()) {
        QFileDialog::accept();
        return;
    }
    const QString refusal = files.isEmpty() ? QString() : fileDialogRefusal(m_request, files.constFirst());
    if (!refusal.isEmpty()) {
        QtMessageBox box(refusal, vbOKOnly | vbExclamation, windowTitle());
        ModalLoopScope running;
        box.exec();
        return;
    }
    QFileDialog::accept();
}

} // namespace win32
