#include "platform/excel/io/ZipArchive.h"

#include "platform/common/AtomicFile.h"
#include "platform/excel/io/LibZip.h"
#include "platform/excel/io/NewZipArchive.h"
#include "platform/excel/io/ReadBudget.h"
#include "platform/excel/io/ZipMember.h"

#include <QSet>

#include <cerrno>
#include <cstring>
#include <future>
#include <limits>
#include <list>
#include <memory>

namespace excel::backend {

namespace {
QString zipError(const LibZip &lz, zip_error_t *error)
{
    return QString::fromUtf8(lz.zip_error_strerror(error));
}
} // namespace

qint64 ZipReader::inflateLimit = ZipReader::MaxInflatedBytes;

namespace {

// The name of a member that another one has as well, letter case aside.
QString repeatedName(const LibZip &lz, zip_t *zip)
{
    QSet<QString> seen;
    const zip_int64_t n = lz.zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        const char *name = lz.zip_get_name(zip, zip_uint64_t(i), 0);
        if (!name)
            continue;
        const QString stored = QString::fromUtf8(name);
        if (seen.contains(stored.toLower()))
            return stored;
        seen.insert(stored.toLower());
    }
    return QString();
}

} // namespace

ZipReader::ZipReader(const LibZip *lz, zip_t *zip, qint64 archiveSize)
    : m_lz(lz), m_zip(zip), m_archiveSize(archiveSize), m_inflateLimit(scaledToFile(inflateLimit, archiveSize))
{
}

qm::Result<ZipReader> ZipReader::open(const QByteArray &bytes)
{
    auto loaded = LibZip::get();
    if (!loaded)
        return loaded.error();
    const LibZip &lz = *loaded.value();
    zip_error_t error;
    lz.zip_error_init(&error);
    zip_source_t *source = lz.zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (!source) {
        const QString message = zipError(lz, &error);
        lz.zip_error_fini(&error);
        return qm::makeError(QStringLiteral("the zip archive cannot be read: %1").arg(message));
    }
    zip_t *zip = lz.zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!zip) {
        const QString message = zipError(lz, &error);
        lz.zip_source_free(source);
        lz.zip_error_fini(&error);
        return qm::makeError(QStringLiteral("is not a valid .xlsx file (broken zip archive: %1)").arg(message));
    }
    lz.zip_error_fini(&error);
    ZipReader reader(&lz, zip, bytes.size());
    if (const QString twice = repeatedName(lz, zip); !twice.isEmpty())
        return qm::makeError(QStringLiteral("the package holds the part %1 twice (two zip members of that name), "
                                            "and which one to read cannot be told; it is not read")
                                 .arg(twice));
    return reader;
}

ZipReader::ZipReader(ZipReader &&other) noexcept
    : m_lz(other.m_lz), m_zip(other.m_zip), m_archiveSize(other.m_archiveSize), m_inflateLimit(other.m_inflateLimit),
      m_inflated(other.m_inflated)
{
    other.m_zip = nullptr;
}

ZipReader::~ZipReader()
{
    if (m_zip)
        m_lz->zip_discard(m_zip);
}

QString ZipReader::locate(const QString &name) const
{
    const QByteArray utf8 = name.toUtf8();
    zip_int64_t index = m_lz->zip_name_locate(m_zip, utf8.constData(), 0);
    if (index < 0)
        index = m_lz->zip_name_locate(m_zip, utf8.constData(), ZIP_FL_NOCASE);
    if (index < 0)
        return QString();
    return QString::fromUtf8(m_lz->zip_get_name(m_zip, zip_uint64_t(index), 0));
}

QStringList ZipReader::names() const
{
    QStringList list;
    const zip_int64_t n = m_lz->zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < n; ++i)
        if (const char *name = m_lz->zip_get_name(m_zip, zip_uint64_t(i), 0))
            list << QString::fromUtf8(name);
    return list;
}

qm::Status ZipReader::read(const QString &name, const std::function<qm::Status(const char *, size_t)> &sink)
{
    const QString stored = locate(name);
    if (stored.isEmpty())
        return qm::makeError(QStringLiteral("the package has no part %1").arg(name));
    zip_file_t *file = m_lz->zip_fopen(m_zip, stored.toUtf8().constData(), 0);
    if (!file)
        return qm::makeError(QStringLiteral("the part %1 cannot be read: %2").arg(name, QString::fromUtf8(m_lz->zip_strerror(m_zip))));
    // The next piece is inflated on a thread of its own while sink reads this
    // one (where no thread can be started, when it is waited for).
    constexpr std::size_t kPiece = std::size_t(1) << 19;
    std::unique_ptr<char[]> pieces[2] = {std::make_unique<char[]>(kPiece), std::make_unique<char[]>(kPiece)};
    const auto inflateInto = [file, fread = m_lz->zip_fread](char *piece) { return fread(file, piece, kPiece); };
    int current = 0;
    constexpr auto policy = std::launch::async | std::launch::deferred;
    std::future<zip_int64_t> next = std::async(policy, inflateInto, pieces[0].get());
    qm::Status result;
    for (;;) {
        const zip_int64_t n = next.get();
        if (n < 0) {
            result = qm::makeError(QStringLiteral("the part %1 is damaged: %2").arg(name, QString::fromUtf8(m_lz->zip_file_strerror(file))));
            break;
        }
        if (n == 0)
            break;
        m_inflated += n;
        if (m_inflated > m_inflateLimit) {
            result = qm::makeError(QStringLiteral("the archive inflates to more than %1 bytes; it is not read").arg(m_inflateLimit));
            break;
        }
        next = std::async(policy, inflateInto, pieces[1 - current].get());
        result = sink(pieces[current].get(), size_t(n));
        current = 1 - current;
        if (!result)
            break;
    }
    if (next.valid())
        next.wait();
    m_lz->zip_fclose(file);
    return result;
}

qm::Result<QByteArray> ZipReader::readAll(const QString &name)
{
    QByteArray data;
    auto status = read(name, [&](const char *p, size_t n) -> qm::Status {
        data.append(p, qsizetype(n));
        return {};
    });
    if (!status)
        return status.error();
    return data;
}

// A member as libzip reads it: libzip copies the finished stream as it copies
// a member of another archive, without deflating it again.
struct ZipWriter::DeflatedMember {
    std::unique_ptr<ZipMember> member;
    const LibZip *lz = nullptr;
    zip_uint64_t offset = 0;
    zip_error_t error;

    DeflatedMember(std::unique_ptr<ZipMember> m, const LibZip *libzip) : member(std::move(m)), lz(libzip)
    {
        lz->zip_error_init(&error);
    }
    ~DeflatedMember() { lz->zip_error_fini(&error); }

    static zip_int64_t callback(void *self, void *data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto &m = *static_cast<DeflatedMember *>(self);
        const LibZip &lz = *m.lz;
        switch (command) {
        case ZIP_SOURCE_OPEN:
            if (!m.member->wait()) {
                lz.zip_error_set(&m.error, ZIP_ER_INTERNAL, 0);
                return -1;
            }
            m.offset = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const qint64 n = m.member->read(m.offset, static_cast<char *>(data), qint64(std::min<zip_uint64_t>(length, 1u << 30)));
            if (n < 0) {
                lz.zip_error_set(&m.error, ZIP_ER_READ, errno);
                return -1;
            }
            m.offset += zip_uint64_t(n);
            return n;
        }
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            if (length < sizeof(zip_stat_t)) {
                lz.zip_error_set(&m.error, ZIP_ER_INVAL, 0);
                return -1;
            }
            if (!m.member->wait()) {
                lz.zip_error_set(&m.error, ZIP_ER_INTERNAL, 0);
                return -1;
            }
            auto *st = static_cast<zip_stat_t *>(data);
            lz.zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
            st->size = m.member->size();
            st->comp_size = m.member->compressedSize();
            st->comp_method = ZIP_CM_DEFLATE;
            st->crc = m.member->crc();
            return sizeof(*st);
        }
        case ZIP_SOURCE_ERROR:
            return lz.zip_error_to_data(&m.error, data, length);
        case ZIP_SOURCE_FREE:
            return 0; // owned by the writer
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_OPEN) | ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_READ)
                   | ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_CLOSE) | ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_STAT)
                   | ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_ERROR) | ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_FREE);
        default:
            lz.zip_error_set(&m.error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

namespace {

// The updated archive, as a libzip source over memory the writer owns.
// libzip reads the original and writes the new archive into a second buffer;
// it never owns, clones or frees either. (libzip 1.7.3's own buffer source
// clones itself when the first changed member lies in the second half of
// the archive, and the clone frees memory it does not own.)
struct ArchiveSource {
    const LibZip &lz;
    QByteArray data, written;
    zip_uint64_t readAt = 0, writeAt = 0;
    zip_error_t error;

    explicit ArchiveSource(const LibZip &libzip) : lz(libzip) { lz.zip_error_init(&error); }
    ~ArchiveSource() { lz.zip_error_fini(&error); }

    static zip_int64_t callback(void *self, void *arg, zip_uint64_t length, zip_source_cmd_t command)
    {
        return static_cast<ArchiveSource *>(self)->handle(arg, length, command);
    }

    zip_int64_t handle(void *arg, zip_uint64_t length, zip_source_cmd_t command)
    {
        switch (command) {
        case ZIP_SOURCE_OPEN:
            readAt = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const zip_uint64_t n = std::min(length, zip_uint64_t(data.size()) - std::min(readAt, zip_uint64_t(data.size())));
            std::memcpy(arg, data.constData() + readAt, size_t(n));
            readAt += n;
            return zip_int64_t(n);
        }
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_SEEK: {
            const zip_int64_t at = lz.zip_source_seek_compute_offset(readAt, zip_uint64_t(data.size()), arg, length, &error);
            if (at < 0)
                return -1;
            readAt = zip_uint64_t(at);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return zip_int64_t(readAt);
        case ZIP_SOURCE_STAT: {
            if (length < sizeof(zip_stat_t)) {
                lz.zip_error_set(&error, ZIP_ER_INVAL, 0);
                return -1;
            }
            auto *st = static_cast<zip_stat_t *>(arg);
            lz.zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE;
            st->size = zip_uint64_t(data.size());
            return sizeof(*st);
        }
        case ZIP_SOURCE_BEGIN_WRITE:
            writeAt = 0;
            written = QByteArray();
            written.reserve(data.size() + (1 << 16));
            return 0;
        case ZIP_SOURCE_WRITE: {
            const zip_uint64_t end = writeAt + length;
            if (end > zip_uint64_t(std::numeric_limits<qsizetype>::max() / 2)) {
                lz.zip_error_set(&error, ZIP_ER_MEMORY, 0);
                return -1;
            }
            if (writeAt == zip_uint64_t(written.size())) {
                written.append(static_cast<const char *>(arg), qsizetype(length));
            } else {
                if (end > zip_uint64_t(written.size()))
                    written.resize(qsizetype(end));
                std::memcpy(written.data() + writeAt, arg, size_t(length));
            }
            writeAt = end;
            return zip_int64_t(length);
        }
        case ZIP_SOURCE_SEEK_WRITE: {
            const zip_int64_t at = lz.zip_source_seek_compute_offset(writeAt, zip_uint64_t(written.size()), arg, length, &error);
            if (at < 0)
                return -1;
            writeAt = zip_uint64_t(at);
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE:
            return zip_int64_t(writeAt);
        case ZIP_SOURCE_COMMIT_WRITE:
            data = std::move(written);
            written = QByteArray();
            return 0;
        case ZIP_SOURCE_ROLLBACK_WRITE:
            written = QByteArray();
            return 0;
        case ZIP_SOURCE_REMOVE:
            data = QByteArray();
            return 0;
        case ZIP_SOURCE_ERROR:
            return lz.zip_error_to_data(&error, arg, length);
        case ZIP_SOURCE_FREE:
            return 0; // owned by the writer
        case ZIP_SOURCE_SUPPORTS:
            // Deliberately without ZIP_SOURCE_BEGIN_WRITE_CLONING: the whole archive is written anew,
            // unchanged members copied as they are stored.
            return ZIP_SOURCE_SUPPORTS_WRITABLE;
        default:
            lz.zip_error_set(&error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

} // namespace

// A new archive is written by NewZipArchive; an update goes through libzip,
// which copies the unchanged members as they are stored.
struct ZipWriter::Private {
    std::unique_ptr<NewZipArchive> created;
    std::unique_ptr<ArchiveSource> archive;
    zip_t *zip = nullptr;
    std::list<DeflatedMember> members;
};

qm::Result<ZipWriter> ZipWriter::create()
{
    ZipWriter writer;
    writer.d = new Private;
    writer.d->created = std::make_unique<NewZipArchive>(nullptr);
    return writer;
}

qm::Result<ZipWriter> ZipWriter::create(qm::AtomicFile &file)
{
    ZipWriter writer;
    writer.d = new Private;
    writer.d->created = std::make_unique<NewZipArchive>(&file);
    return writer;
}

qm::Result<ZipWriter> ZipWriter::update(const QByteArray &original)
{
    auto loaded = LibZip::get();
    if (!loaded)
        return loaded.error();
    const LibZip &lz = *loaded.value();
    ZipWriter writer;
    writer.d = new Private;
    writer.d->archive = std::make_unique<ArchiveSource>(lz);
    writer.d->archive->data = original;
    zip_error_t error;
    lz.zip_error_init(&error);
    zip_source_t *source = lz.zip_source_function_create(&ArchiveSource::callback, writer.d->archive.get(), &error);
    if (source) {
        writer.d->zip = lz.zip_open_from_source(source, original.isEmpty() ? ZIP_TRUNCATE : 0, &error);
        if (!writer.d->zip)
            lz.zip_source_free(source);
    }
    if (!writer.d->zip) {
        const QString message = zipError(lz, &error);
        lz.zip_error_fini(&error);
        return qm::makeError(QStringLiteral("the zip archive cannot be written: %1").arg(message));
    }
    lz.zip_error_fini(&error);
    return writer;
}

ZipWriter::ZipWriter(ZipWriter &&other) noexcept : d(other.d)
{
    other.d = nullptr;
}

ZipWriter::~ZipWriter()
{
    if (!d)
        return;
    if (d->zip)
        d->archive->lz.zip_discard(d->zip);
    delete d;
}

qm::Status ZipWriter::put(const QString &name, QByteArray data)
{
    return add(name, ZipMember::deflating(std::move(data)));
}

qm::Status ZipWriter::putDeflated(const QString &name, QByteArray stream, quint64 size, quint32 crc)
{
    return add(name, ZipMember::deflated(std::move(stream), size, crc));
}

qm::Status ZipWriter::putStored(const QString &name, QByteArray data)
{
    if (!d->created)
        return qm::makeError(QStringLiteral("cannot add %1 to the archive: an update deflates every member it adds").arg(name));
    return add(name, ZipMember::stored(std::move(data)));
}

qm::Status ZipWriter::putSpilled(const QString &name, std::shared_ptr<const SpilledStream> stream, quint64 size, quint32 crc)
{
    return add(name, ZipMember::spilled(std::move(stream), size, crc));
}

qm::Status ZipWriter::add(const QString &name, std::unique_ptr<ZipMember> member)
{
    if (d->created) {
        d->created->put(name, std::move(member));
        return {};
    }
    const LibZip &lz = d->archive->lz;
    DeflatedMember &m = d->members.emplace_back(std::move(member), &lz);
    zip_source_t *source = lz.zip_source_function(d->zip, &DeflatedMember::callback, &m);
    if (!source)
        return qm::makeError(QStringLiteral("cannot add %1 to the archive: %2").arg(name, QString::fromUtf8(lz.zip_strerror(d->zip))));
    const zip_int64_t index = lz.zip_file_add(d->zip, name.toUtf8().constData(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        lz.zip_source_free(source);
        return qm::makeError(QStringLiteral("cannot add %1 to the archive: %2").arg(name, QString::fromUtf8(lz.zip_strerror(d->zip))));
    }
    lz.zip_file_set_dostime(d->zip, zip_uint64_t(index), 0, (0 << 9) | (1 << 5) | 1, 0);
    return {};
}

qm::Status ZipWriter::remove(const QString &name)
{
    if (d->created) {
        d->created->remove(name);
        return {};
    }
    const LibZip &lz = d->archive->lz;
    const zip_int64_t index = lz.zip_name_locate(d->zip, name.toUtf8().constData(), 0);
    if (index >= 0 && lz.zip_delete(d->zip, zip_uint64_t(index)) < 0)
        return qm::makeError(QStringLiteral("cannot remove %1 from the archive: %2").arg(name, QString::fromUtf8(lz.zip_strerror(d->zip))));
    return {};
}

qm::Result<QByteArray> ZipWriter::finish()
{
    if (d->created)
        return d->created->finish();
    const LibZip &lz = d->archive->lz;
    if (lz.zip_close(d->zip) < 0)
        return qm::makeError(QStringLiteral("the zip archive cannot be finished: %1").arg(QString::fromUtf8(lz.zip_strerror(d->zip))));
    d->zip = nullptr;
    // An archive without changes is not written again: it is the original.
    return std::move(d->archive->data);
}

} // namespace excel::backend
