#include "platform/resutil/ResFile.h"

#include "platform/common/AtomicFile.h"
#include "platform/common/InputFile.h"
#include "platform/resutil/ByteCursor.h"
#include "platform/resutil/DiskWriter.h"
#include "platform/resutil/FileBuffer.h"
#include "platform/resutil/PairedSave.h"
#include "platform/resutil/ResLimits.h"
#include "platform/resutil/ResReader.h"
#include "platform/resutil/ResWriter.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <optional>

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

qm::Status produce(const ResLayout &layout, const PutBytes &put, int fd)
{
    DiskWriter disk(fd);
    return writeRes(layout, [&](QByteArrayView bytes) -> qm::Status {
        if (auto status = put(bytes); !status)
            return status;
        disk.written(bytes.size());
        return {};
    });
}

qm::Status writeAtomically(const QString &path, const ResLayout &layout)
{
    qm::AtomicFile file(path);
    if (auto opened = file.open(); !opened)
        return opened;
    qm::Status failed;
    const auto status = produce(
        layout,
        [&](QByteArrayView bytes) -> qm::Status {
            if (failed = file.write(bytes); !failed)
                return qm::makeError(file.problem());
            return {};
        },
        file.handle());
    if (!failed)
        return failed;
    if (!status.ok()) {
        file.cancel();
        return fileError(path, QStringLiteral("cannot be written: %1").arg(status.errorString()));
    }
    return file.commit();
}

} // namespace

void ResFile::reset()
{
    // What was kept is of the strings before: the file is read anew.
    m_strings.StopKeepingTexts();
    m_strings.Clear();
    m_strings.setChanged(false);
    m_leadEntry.clear();
    m_others.clear();
    m_stringsAt = -1;
    m_tableFields.clear();
}

qm::Status ResFile::Load()
{
    m_loaded = false;
    const qm::Status status = load();
    m_loaded = status.ok();
    if (m_companion)
        m_companion->loaded(m_fileName, m_strings, m_loaded);
    return status;
}

void ResFile::setCompanion(std::unique_ptr<ResCompanion> companion)
{
    m_companion = std::move(companion);
    if (m_companion)
        m_companion->loaded(m_fileName, m_strings, m_loaded);
}

qm::Status ResFile::load()
{
    reset();
    if (m_fileName.isEmpty())
        return qm::makeError(QStringLiteral("No resource file name is set."));
    m_unreadable = absolute(m_fileName);
    // A save that a crash cut short is finished (or undone) first; should that
    // fail, the file is read as it is and the journal stays for a later try.
    (void)finishInterruptedSave(m_fileName);

    // A file whose string tables come in key order, as writers put them, is
    // read in one pass; any other, or one with a fault, again in two, which
    // also tells what is wrong with it.
    std::optional<ParsedRes> content;
    for (const bool onePass : {true, false}) {
        QFile file;
        if (auto opened = qm::openInputFile(file, m_fileName, MaxResFileBytes, QStringLiteral("resource files"),
                                            QIODevice::Unbuffered);
            !opened)
            return fileError(m_fileName, QStringLiteral("cannot be read: %1").arg(opened.errorString()));
        FileBuffer buffer;
        if (auto status = buffer.read(file, MaxResFileBytes); !status.ok())
            return fileError(m_fileName, QStringLiteral("cannot be read: %1").arg(status.errorString()));
        file.close();
        // The texts stay where they were read to: the collection keeps where
        // each lies. One that cannot be used in place (not aligned) is copied.
        m_strings.adoptBuffer(buffer.shared());
        const auto add = [&](quint16 language, quint16 id, const char *units, qsizetype size) {
            if (const qsizetype offset = buffer.place(units, size); offset >= 0) {
                m_strings.AddStored(language, id, offset, size);
                return;
            }
            QString copy(size, Qt::Uninitialized);
            ByteCursor(units, 2 * size).readUtf16(reinterpret_cast<char16_t *>(copy.data()), size);
            m_strings.Add(language, id, std::move(copy));
        };
        if (onePass) {
            // A string takes at least 6 bytes: its length, a unit, and its
            // share of the table's header and the lengths of absent ones.
            // (Only address space; beyond a few million the room grows as needed.)
            m_strings.reserve(std::min<qsizetype>(buffer.bytes().size() / 6, qsizetype(1) << 22));
            content = readSortedRes(buffer.bytes(), add);
            if (content) {
                buffer.terminateTexts();
                break;
            }
            reset();
            continue;
        }
        auto layout = readLayout(buffer.bytes());
        if (!layout.ok()) {
            reset();
            return fileError(m_fileName, layout.errorString());
        }
        // At most sixteen strings a table, each with at least one unit beyond its length.
        qint64 atMost = 0;
        for (const StringBlock &block : layout->blocks)
            atMost += std::min<qint64>(16, std::max<qint64>(0, qint64(block.dataSize) - 32) / 2);
        m_strings.reserve(qsizetype(atMost));
        if (auto read = readStrings(buffer.bytes(), layout.value(), add); !read.ok()) {
            reset();
            return fileError(m_fileName, read.errorString());
        }
        buffer.terminateTexts();
        content = std::move(layout.value());
    }
    m_leadEntry = std::move(content->leadEntry);
    m_others = std::move(content->others);
    m_stringsAt = content->stringsAt;
    m_tableFields.reserve(content->blocks.size());
    for (const StringBlock &block : content->blocks)
        m_tableFields.push_back(StringTableFields{block.key, block.fields});
    m_strings.setChanged(false);
    m_unreadable.clear();
    return {};
}

qm::Status ResFile::Create()
{
    if (m_fileName.isEmpty())
        return qm::makeError(QStringLiteral("No resource file name is set."));
    auto layout = layOut(ResContent{});
    if (!layout.ok())
        return fileError(m_fileName, layout.errorString());
    if (auto status = writeAtomically(m_fileName, layout.value()); !status.ok())
        return status;
    reset();
    m_unreadable.clear();
    m_loaded = true;
    if (m_companion)
        m_companion->loaded(m_fileName, m_strings, true);
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
    content.tableFields = &m_tableFields;
    content.strings = &m_strings;
    auto layout = layOut(content);
    if (!layout.ok())
        return fileError(m_fileName, QStringLiteral("not saved: ") + layout.errorString());
    if (auto finished = finishInterruptedSave(m_fileName); !finished)
        return fileError(m_fileName, QStringLiteral("not saved: an earlier save of it was interrupted and cannot be finished: %1")
                                         .arg(finished.errorString()));
    std::optional<ResCompanion::Contents> beside;
    if (m_companion) {
        auto contents = m_companion->saving(m_fileName, m_strings);
        if (!contents)
            return fileError(m_fileName, QStringLiteral("not saved: ") + contents.errorString());
        beside = std::move(contents.value());
    }
    if (beside) {
        const ResLayout &laidOut = layout.value();
        const CompanionProducer companion = [&](const PutBytes &put) {
            return beside->write ? beside->write(put) : put(beside->bytes);
        };
        if (auto status = saveTogether(
                m_fileName, [&](const PutBytes &put, int fd) { return produce(laidOut, put, fd); }, beside->path,
                companion);
            !status.ok())
            return status;
    } else if (auto status = writeAtomically(m_fileName, layout.value()); !status.ok()) {
        return status;
    }
    m_strings.setChanged(false);
    if (m_companion)
        m_companion->saved(m_fileName);
    return {};
}

void ResFile::setOtherResources(QList<ResResource> others)
{
    m_others = std::move(others);
    m_strings.setChanged(true);
}

qm::Status ResFile::Check() const
{
    if (m_fileName.isEmpty())
        return qm::makeError(QStringLiteral("No resource file name is set."));
    if (!m_unreadable.isEmpty() && absolute(m_fileName) == m_unreadable)
        return fileError(m_fileName, QStringLiteral("not saved: the file could not be read, so it is not written over"));
    ResContent content;
    content.leadEntry = &m_leadEntry;
    content.others = &m_others;
    content.stringsAt = m_stringsAt;
    content.tableFields = &m_tableFields;
    content.strings = &m_strings;
    if (auto layout = layOut(content); !layout.ok())
        return fileError(m_fileName, QStringLiteral("not saved: ") + layout.errorString());
    return {};
}

} // namespace resutil
