// The rules a common file dialog applies to the name the user chose, shared by
// the real dialog and the scripted one so tests cannot choose what a user could not.
#include "platform/win32/Interaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace win32 {

QString fileDialogRefusal(const FileDialogRequest &request, const QString &path)
{
    const QFileInfo file(path);
    if (request.pathMustExist || request.fileMustExist) {
        const QFileInfo folder(file.absolutePath());
        if (!folder.isDir())
            return QCoreApplication::translate("win32::FileDialog",
                                               "The folder \"%1\" does not exist.\nCheck the path and try again.")
                .arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
    }
    if (request.fileMustExist && !file.isFile())
        return QCoreApplication::translate("win32::FileDialog",
                                           "The file \"%1\" does not exist.\nCheck the file name and try again.")
            .arg(QDir::toNativeSeparators(file.absoluteFilePath()));
    return {};
}

} // namespace win32
