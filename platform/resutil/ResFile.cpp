#include "platform/resutil/ResFile.h"

#include "platform/resutil/ResReader.h"
#include "platform/resutil/ResWriter.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace resutil {

namespace {

QString absolute(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

qm::Error fileError(const QString &path, const QString &what)
{
    return qm::makeError(QDir::toNativeSeparators(path) + QStringLiteral(": ") + what);
}

qm::Status writeAtomically(const QString &path, const QByteArray &bytes)
{
    // QSaveFile writes a temporary file beside the target, keeps the target's
    // permissions, and renames it into place only once everything is written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fileError(path, QStringLiteral("cannot be written: %1").arg(file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fileError(path, QStringLiteral("cannot be written: %1").arg(reason));
    }
    if (!file.commit())
        return fileError(path, QStringLiteral("cannot be written: %1").arg(file.errorString()));
    return {};
}

} // namespace

void ResFile::reset()
{
    m_strings.Clear();
    m_strings.setChanged(false);
    m_leadEntry.clear();
    m_others.clear();
    m_stringsAt = -1;
    m_blockFields.clear();
}

qm::Status ResFile::Load()
{
    reset();
    if (m_fileName.isEmpty())
        return qm::makeError(QStringLiteral("No resource file name is set."));
    m_unreadable = absolute(m_fileName);
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fileError(m_fileName, QStringLiteral("cannot be read: %1").arg(file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fileError(m_fileName, QStringLiteral("cannot be read: %1").arg(file.errorString()));

    auto parsed = readRes(bytes);
    if (!parsed.ok())
        return fileError(m_fileName, parsed.errorString());
    ParsedRes &content = parsed.value();
    m_leadEntry = std::move(content.leadEntry);
    m_others = std::move(content.others);
    m_stringsAt = content.stringsAt;
    m_blockFields = std::move(content.blockFields);
    m_strings.reserve(qsizetype(content.strings.size()));
    for (ParsedString &string : content.strings)
        m_strings.Add(string.language, string.id, std::move(string.text));
    m_strings.setChanged(false);
    m_unreadable.clear();
    return {};
}

qm::Status ResFile::Create()
{
    if (m_fileName.isEmpty())
        return qm::makeError(QStringLiteral("No resource file name is set."));
    auto bytes = writeRes(ResContent{});
    if (!bytes.ok())
        return fileError(m_fileName, bytes.errorString());
    if (auto status = writeAtomically(m_fileName, bytes.value()); !status.ok())
        return status;
    reset();
    m_unreadable.clear();
    return {};
}

qm::Status ResFile::Save(int flags)
{
    if (m_fileName.isEmpty())
        return qm::makeError(QStringLiteral("No resource file name is set."));
    if (flags != 0)
        return fileError(m_fileName, QStringLiteral("not saved: unknown save option %1").arg(flags));
    if (!m_unreadable.isEmpty() && absolute(m_fileName) == m_unreadable)
        return fileError(m_fileName, QStringLiteral("not saved: the file could not be read, so it is not written over"));
    ResContent content;
    content.leadEntry = &m_leadEntry;
    content.others = &m_others;
    content.stringsAt = m_stringsAt;
    content.blockFields = &m_blockFields;
    content.strings = &m_strings;
    auto bytes = writeRes(content);
    if (!bytes.ok())
        return fileError(m_fileName, QStringLiteral("not saved: ") + bytes.errorString());
    if (auto status = writeAtomically(m_fileName, bytes.value()); !status.ok())
        return status;
    m_strings.setChanged(false);
    return {};
}

} // namespace resutil
