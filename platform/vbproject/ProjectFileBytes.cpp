#include "platform/vbproject/ProjectFileBytes.h"

#include "platform/common/InputFile.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <limits>

namespace vbide {

qm::Result<QByteArray> readProjectFileBytes(const QString &absolutePath, const QString &kind)
{
    const QString shown = QDir::toNativeSeparators(absolutePath);
    // A device or a FIFO is refused before a byte is read; the size is told below.
    QFile in;
    if (auto opened = qm::openInputFile(in, absolutePath, std::numeric_limits<qint64>::max(), kind); !opened)
        return qm::makeError(QStringLiteral("The %1 %2 cannot be opened: %3.").arg(kind, shown, opened.errorString()));
    const auto tooLarge = [&](qint64 size) {
        const QLocale english(QLocale::English);
        return qm::makeError(QStringLiteral("The %1 %2 is not read: it has %3 bytes, more than the %4 bytes (10 MB) "
                                            "a %1 may have.")
                                 .arg(kind, shown, english.toString(size), english.toString(MaxProjectFileBytes)));
    };
    if (in.size() > MaxProjectFileBytes)
        return tooLarge(in.size());
    // One byte more than allowed tells a file that grew since its size was taken.
    QByteArray bytes = in.read(MaxProjectFileBytes + 1);
    if (in.error() != QFileDevice::NoError)
        return qm::makeError(QStringLiteral("The %1 %2 cannot be read: %3.").arg(kind, shown, in.errorString()));
    if (bytes.size() > MaxProjectFileBytes)
        return tooLarge(bytes.size());
    return bytes;
}

} // namespace vbide
