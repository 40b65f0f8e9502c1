#include "platform/resutil/ResScan.h"

#include "platform/common/InputFile.h"
#include "platform/resutil/ByteCursor.h"
#include "platform/resutil/ResLimits.h"
#include "platform/resutil/ResReader.h"

#include <QDir>
#include <QFile>

namespace resutil {

qm::Status scanResFile(const QString &path, const std::function<void(quint16, quint16, QStringView)> &onString,
                       QList<ResResource> *others)
{
    const auto fail = [&](const QString &what) { return qm::makeError(QDir::toNativeSeparators(path) + QStringLiteral(": ") + what); };
    QFile file;
    auto opened = qm::openInputFile(file, path, MaxResFileBytes, QStringLiteral("resource files"));
    if (!opened)
        return fail(QStringLiteral("cannot be read: %1").arg(opened.errorString()));
    // Mapped rather than copied: a large file is read once, by the decoder.
    QByteArray copy;
    QByteArrayView bytes;
    if (const qint64 size = file.size(); size > 0) {
        if (const uchar *mapped = file.map(0, size))
            bytes = QByteArrayView(reinterpret_cast<const char *>(mapped), size);
    }
    if (bytes.isNull()) {
        auto read = qm::readInputFile(file, opened.value(), MaxResFileBytes);
        if (!read)
            return fail(QStringLiteral("cannot be read: %1").arg(read.errorString()));
        copy = std::move(read).value();
        bytes = QByteArrayView(copy);
    }
    QString unaligned;
    auto parsed = readRes(bytes, [&](quint16 language, quint16 id, const char *units, qsizetype size) {
        if (Q_BYTE_ORDER == Q_LITTLE_ENDIAN && reinterpret_cast<quintptr>(units) % alignof(char16_t) == 0) {
            onString(language, id, QStringView(reinterpret_cast<const char16_t *>(units), size));
            return;
        }
        unaligned.resize(size);
        ByteCursor(units, 2 * size).readUtf16(reinterpret_cast<char16_t *>(unaligned.data()), size);
        onString(language, id, unaligned);
    });
    if (!parsed.ok())
        return fail(parsed.errorString());
    if (others)
        *others = std::move(parsed->others);
    return {};
}

} // namespace resutil
