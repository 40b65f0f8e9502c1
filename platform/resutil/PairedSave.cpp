#include "platform/resutil/PairedSave.h"

#include "platform/common/AtomicFile.h"
#include "platform/common/InputFile.h"
#include "platform/common/Xxh64.h"
#include "platform/resutil/ResLimits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace resutil {

namespace {

constexpr char kJournalHeader[] = "quillmark-save-journal 1";
constexpr qint64 kMaxJournalBytes = 64 * 1024;

qm::Error fileError(const QString &path, const QString &what)
{
    return qm::makeError(QDir::toNativeSeparators(path) + QStringLiteral(": ") + what);
}

QString hex(quint64 value) { return QStringLiteral("%1").arg(value, 16, 16, QLatin1Char('0')); }

void syncFolderOf(const QString &path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

qm::Result<QByteArray> readWhole(const QString &path, qint64 maxBytes, const QString &kinds)
{
    QFile file;
    auto opened = qm::openInputFile(file, path, maxBytes, kinds);
    if (!opened)
        return opened.error();
    return qm::readInputFile(file, opened.value(), maxBytes);
}

// The folder of path with symbolic links resolved, to compare folders.
QString folderOf(const QString &path)
{
    const QFileInfo folder(QFileInfo(path).absolutePath());
    const QString canonical = folder.canonicalFilePath();
    return canonical.isEmpty() ? folder.absoluteFilePath() : canonical;
}

} // namespace

QString saveJournalPath(const QString &resPath)
{
    const QFileInfo info(resPath);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const long longest = ::pathconf(folder.constData(), _PC_NAME_MAX);
    const qsizetype room = longest > 0 ? qsizetype(longest) : 255;
    // Hidden, and cut to fit beside a name as long as the folder takes; the
    // journal names its resource file, so two cut names never mix.
    QString base = info.fileName();
    const QString tail = QStringLiteral(".save-journal");
    while (!base.isEmpty() && QFile::encodeName(QLatin1Char('.') + base + tail).size() > room) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    return QDir(info.absolutePath()).filePath(QLatin1Char('.') + base + tail);
}

qm::Status saveTogether(const QString &resPath, const ResProducer &produce, const QString &companionPath,
                        QByteArrayView companion, const std::function<void(SaveStep)> &reached)
{
    return saveTogether(
        resPath, produce, companionPath, [&](const PutBytes &put) { return put(companion); }, reached);
}

qm::Status saveTogether(const QString &resPath, const ResProducer &produce, const QString &companionPath,
                        const CompanionProducer &companion, const std::function<void(SaveStep)> &reached)
{
    const auto step = [&](SaveStep s) {
        if (reached)
            reached(s);
    };
    qm::AtomicFile res(resPath);
    if (auto opened = res.open(); !opened)
        return opened;
    qm::Xxh64 fingerprint;
    qm::Status failed;
    const qm::Status produced = produce(
        [&](QByteArrayView bytes) -> qm::Status {
            if (failed = res.write(bytes); !failed)
                return qm::makeError(res.problem());
            fingerprint.add(bytes);
            return {};
        },
        res.handle());
    if (!failed)
        return failed;
    if (!produced) {
        res.cancel();
        return fileError(resPath, QStringLiteral("cannot be written: %1").arg(produced.errorString()));
    }
    if (auto prepared = res.prepare(); !prepared)
        return prepared;

    qm::AtomicFile side(companionPath);
    if (auto opened = side.open(); !opened)
        return opened;
    qm::Status sideFailed;
    const qm::Status sideProduced = companion([&](QByteArrayView bytes) -> qm::Status {
        sideFailed = side.write(bytes);
        return sideFailed;
    });
    if (!sideFailed)
        return sideFailed;
    if (!sideProduced) {
        side.cancel();
        return fileError(companionPath, QStringLiteral("cannot be written: %1").arg(sideProduced.errorString()));
    }
    if (auto prepared = side.prepare(); !prepared)
        return prepared;
    step(SaveStep::BothWritten);

    const QString journal = saveJournalPath(resPath);
    const QString record = QStringLiteral("%1\n%2\n%3\n%4\n%5\n%6\n")
                               .arg(QLatin1String(kJournalHeader), QFileInfo(resPath).fileName(),
                                    hex(fingerprint.digest()), side.temporaryPath(), QFileInfo(companionPath).fileName(),
                                    res.temporaryPath());
    if (auto written = qm::writeFileAtomically(journal, record.toUtf8()); !written)
        return written;
    step(SaveStep::JournalWritten);
    if (auto committed = res.commit(); !committed) {
        // Nothing to finish: the companion's new file goes with this object.
        ::unlink(QFile::encodeName(journal).constData());
        return committed;
    }
    step(SaveStep::ResInPlace);
    if (auto committed = side.commit(); !committed)
        return fileError(companionPath, QStringLiteral("the resource file is saved, but this file beside it is not: %1; "
                                                       "it is written when the resource file is next read")
                                            .arg(side.problem()));
    ::unlink(QFile::encodeName(journal).constData());
    syncFolderOf(journal);
    return {};
}

qm::Status finishInterruptedSave(const QString &resPath)
{
    const QString journal = saveJournalPath(resPath);
    if (!QFileInfo::exists(journal))
        return {};
    auto record = readWhole(journal, kMaxJournalBytes, QStringLiteral("save journals"));
    if (!record)
        return fileError(journal, QStringLiteral("cannot be read: %1").arg(record.errorString()));
    const QStringList lines = QString::fromUtf8(record.value()).split(QLatin1Char('\n'));
    const auto drop = [&] {
        ::unlink(QFile::encodeName(journal).constData());
        syncFolderOf(journal);
        return qm::Status();
    };
    // Another resource file's journal (a name cut to fit) is not this one's.
    if (lines.size() < 6 || lines[0] != QLatin1String(kJournalHeader))
        return drop();
    if (lines[1] != QFileInfo(resPath).fileName())
        return {};
    const QString temporary = lines[3];
    const QString companion = QDir(QFileInfo(resPath).absolutePath()).filePath(lines[4]);
    // Only a file of our own making beside the companion is ever moved.
    const auto ours = [](const QString &file, const QString &beside) {
        const QString name = QFileInfo(file).fileName();
        const QString linkedTo = QFileInfo(beside).canonicalFilePath();
        return name.startsWith(QLatin1Char('.')) && name.endsWith(QLatin1String(".tmp")) &&
               folderOf(file) == folderOf(linkedTo.isEmpty() ? beside : linkedTo);
    };
    if (lines[4].contains(QLatin1Char('/')) || !ours(temporary, companion))
        return drop();
    const QString resTemporary = lines[5];
    if (!QFileInfo::exists(temporary))
        return drop(); // already in place
    auto current = readWhole(resPath, MaxResFileBytes, QStringLiteral("resource files"));
    if (!current) {
        if (QFileInfo::exists(resPath))
            return fileError(resPath, QStringLiteral("cannot be read: %1").arg(current.errorString()));
        ::unlink(QFile::encodeName(temporary).constData());
        return drop();
    }
    if (hex(qm::Xxh64::of(current.value())) == lines[2]) {
        auto bytes = readWhole(temporary, qint64(1) << 32, QStringLiteral("saved files"));
        if (!bytes)
            return fileError(temporary, QStringLiteral("cannot be read: %1").arg(bytes.errorString()));
        if (auto written = qm::writeFileAtomically(companion, bytes.value()); !written)
            return written;
    } else if (struct stat info {}; ours(resTemporary, resPath) &&
               ::stat(QFile::encodeName(resPath).constData(), &info) == 0 && info.st_nlink == 1 &&
               info.st_uid == ::geteuid()) {
        // The new resource file was never put in place (and, the file being
        // renamed over rather than copied into, was not half copied either).
        ::unlink(QFile::encodeName(resTemporary).constData());
    }
    ::unlink(QFile::encodeName(temporary).constData());
    return drop();
}

} // namespace resutil
