#include "platform/excel/io/ZipArchive.h"

#include "platform/common/AtomicFile.h"
#include "platform/excel/io/DeflateStream.h"
#include "platform/excel/io/ReadBudget.h"

#include <QSet>

#include <zip.h>
#include <libdeflate.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <limits>
#include <list>
#include <memory>

namespace excel::backend {

namespace {
QString zipError(zip_error_t *error)
{
    return QString::fromUtf8(zip_error_strerror(error));
}
} // namespace

qint64 ZipReader::inflateLimit = ZipReader::MaxInflatedBytes;

namespace {

// The name of a member that another one has as well, letter case aside.
QString repeatedName(zip_t *zip)
{
    QSet<QString> seen;
    const zip_int64_t n = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        const char *name = zip_get_name(zip, zip_uint64_t(i), 0);
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

ZipReader::ZipReader(zip_t *zip, qint64 archiveSize)
    : m_zip(zip), m_archiveSize(archiveSize), m_inflateLimit(scaledToFile(inflateLimit, archiveSize))
{
}

qm::Result<ZipReader> ZipReader::open(const QByteArray &bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (!source) {
        const QString message = zipError(&error);
        zip_error_fini(&error);
        return qm::makeError(QStringLiteral("the zip archive cannot be read: %1").arg(message));
    }
    zip_t *zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!zip) {
        const QString message = zipError(&error);
        zip_source_free(source);
        zip_error_fini(&error);
        return qm::makeError(QStringLiteral("is not a valid .xlsx file (broken zip archive: %1)").arg(message));
    }
    zip_error_fini(&error);
    ZipReader reader(zip, bytes.size());
    if (const QString twice = repeatedName(zip); !twice.isEmpty())
        return qm::makeError(QStringLiteral("the package holds the part %1 twice (two zip members of that name), "
                                            "and which one to read cannot be told; it is not read")
                                 .arg(twice));
    return std::move(reader);
}

ZipReader::ZipReader(ZipReader &&other) noexcept
    : m_zip(other.m_zip), m_archiveSize(other.m_archiveSize), m_inflateLimit(other.m_inflateLimit),
      m_inflated(other.m_inflated)
{
    other.m_zip = nullptr;
}

ZipReader::~ZipReader()
{
    if (m_zip)
        zip_discard(m_zip);
}

QString ZipReader::locate(const QString &name) const
{
    const QByteArray utf8 = name.toUtf8();
    zip_int64_t index = zip_name_locate(m_zip, utf8.constData(), 0);
    if (index < 0)
        index = zip_name_locate(m_zip, utf8.constData(), ZIP_FL_NOCASE);
    if (index < 0)
        return QString();
    return QString::fromUtf8(zip_get_name(m_zip, zip_uint64_t(index), 0));
}

QStringList ZipReader::names() const
{
    QStringList list;
    const zip_int64_t n = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < n; ++i)
        if (const char *name = zip_get_name(m_zip, zip_uint64_t(i), 0))
            list << QString::fromUtf8(name);
    return list;
}

qm::Status ZipReader::read(const QString &name, const std::function<qm::Status(const char *, size_t)> &sink)
{
    const QString stored = locate(name);
    if (stored.isEmpty())
        return qm::makeError(QStringLiteral("the package has no part %1").arg(name));
    zip_file_t *file = zip_fopen(m_zip, stored.toUtf8().constData(), 0);
    if (!file)
        return qm::makeError(QStringLiteral("the part %1 cannot be read: %2").arg(name, QString::fromUtf8(zip_strerror(m_zip))));
    // The next piece is inflated on a thread of its own while sink reads this
    // one (where no thread can be started, when it is waited for).
    constexpr std::size_t kPiece = std::size_t(1) << 19;
    std::unique_ptr<char[]> pieces[2] = {std::make_unique<char[]>(kPiece), std::make_unique<char[]>(kPiece)};
    const auto inflateInto = [file](char *piece) { return zip_fread(file, piece, kPiece); };
    int current = 0;
    constexpr auto policy = std::launch::async | std::launch::deferred;
    std::future<zip_int64_t> next = std::async(policy, inflateInto, pieces[0].get());
    qm::Status result;
    for (;;) {
        const zip_int64_t n = next.get();
        if (n < 0) {
            result = qm::makeError(QStringLiteral("the part %1 is damaged: %2").arg(name, QString::fromUtf8(zip_file_strerror(file))));
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
    zip_fclose(file);
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

// A member deflated on a thread of its own while the caller builds the next
// part; libzip copies the finished stream as it copies a member of another
// archive, without deflating it again.
struct ZipWriter::DeflatedMember {
    std::future<bool> done;
    QByteArray stream;
    std::shared_ptr<const SpilledStream> spilled; // instead of stream
    zip_uint64_t size = 0;
    zip_uint32_t crc = 0;
    zip_uint64_t offset = 0;
    zip_error_t error;
    bool waited = false, ok = false;

    // libdeflate at level 1: a big sheet deflates in a third of zlib's time
    // and a little smaller.
    bool deflateAll(const QByteArray &data)
    {
        size = zip_uint64_t(data.size());
        crc = libdeflate_crc32(0, data.constData(), size_t(data.size()));
        libdeflate_compressor *compressor = libdeflate_alloc_compressor(1);
        if (!compressor)
            return false;
        stream.resize(qsizetype(libdeflate_deflate_compress_bound(compressor, size_t(data.size()))));
        const size_t n = libdeflate_deflate_compress(compressor, data.constData(), size_t(data.size()), stream.data(), size_t(stream.size()));
        libdeflate_free_compressor(compressor);
        stream.truncate(qsizetype(n));
        return n > 0;
    }
    bool wait()
    {
        if (!waited) {
            ok = done.get();
            waited = true;
        }
        return ok;
    }

    static zip_int64_t callback(void *self, void *data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto &m = *static_cast<DeflatedMember *>(self);
        switch (command) {
        case ZIP_SOURCE_OPEN:
            if (!m.wait()) {
                zip_error_set(&m.error, ZIP_ER_INTERNAL, 0);
                return -1;
            }
            m.offset = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            if (m.spilled) {
                const qint64 n = m.spilled->read(qint64(m.offset), static_cast<char *>(data), qint64(std::min<zip_uint64_t>(length, 1u << 30)));
                if (n < 0) {
                    zip_error_set(&m.error, ZIP_ER_READ, errno);
                    return -1;
                }
                m.offset += zip_uint64_t(n);
                return n;
            }
            const zip_uint64_t n = std::min(length, zip_uint64_t(m.stream.size()) - m.offset);
            std::memcpy(data, m.stream.constData() + m.offset, size_t(n));
            m.offset += n;
            return zip_int64_t(n);
        }
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            zip_stat_t *st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &m.error);
            if (!st)
                return -1;
            if (!m.wait()) {
                zip_error_set(&m.error, ZIP_ER_INTERNAL, 0);
                return -1;
            }
            zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
            st->size = m.size;
            st->comp_size = zip_uint64_t(m.spilled ? m.spilled->size() : m.stream.size());
            st->comp_method = ZIP_CM_DEFLATE;
            st->crc = m.crc;
            return sizeof(*st);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m.error, data, length);
        case ZIP_SOURCE_FREE:
            return 0; // owned by the writer
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&m.error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

namespace {

// The archive being written, as a libzip source over memory the writer owns.
// libzip reads the original and writes the new archive into a second buffer;
// it never owns, clones or frees either. (libzip 1.7.3's own buffer source
// clones itself when the first changed member lies in the second half of
// the archive, and the clone frees memory it does not own.) A new archive
// may go straight into a file instead: libzip appends, and goes back only to
// complete the header of a member it has written.
struct ArchiveSource {
    QByteArray data, written;
    zip_uint64_t readAt = 0, writeAt = 0;
    bool writing = false, committed = false;
    zip_error_t error;
    qm::AtomicFile *file = nullptr; // where a new archive goes instead of written
    zip_uint64_t fileEnd = 0;
    qm::Status fileFailure; // the file's own account of a failed write

    ArchiveSource() { zip_error_init(&error); }
    ~ArchiveSource() { zip_error_fini(&error); }

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
            const zip_int64_t at = zip_source_seek_compute_offset(readAt, zip_uint64_t(data.size()), arg, length, &error);
            if (at < 0)
                return -1;
            readAt = zip_uint64_t(at);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return zip_int64_t(readAt);
        case ZIP_SOURCE_STAT: {
            zip_stat_t *st = ZIP_SOURCE_GET_ARGS(zip_stat_t, arg, length, &error);
            if (!st)
                return -1;
            zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE;
            st->size = zip_uint64_t(data.size());
            return sizeof(*st);
        }
        case ZIP_SOURCE_BEGIN_WRITE:
            writeAt = fileEnd = 0;
            writing = true;
            if (!file) {
                written = QByteArray();
                written.reserve(data.size() + (1 << 16));
            }
            return 0;
        case ZIP_SOURCE_WRITE: {
            if (file)
                return writeToFile(static_cast<const char *>(arg), length);
            const zip_uint64_t end = writeAt + length;
            if (end > zip_uint64_t(std::numeric_limits<qsizetype>::max() / 2)) {
                zip_error_set(&error, ZIP_ER_MEMORY, 0);
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
            const zip_uint64_t end = file ? fileEnd : zip_uint64_t(written.size());
            const zip_int64_t at = zip_source_seek_compute_offset(writeAt, end, arg, length, &error);
            if (at < 0)
                return -1;
            writeAt = zip_uint64_t(at);
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE:
            return zip_int64_t(writeAt);
        case ZIP_SOURCE_COMMIT_WRITE:
            if (!file)
                data = std::move(written);
            written = QByteArray();
            writing = false;
            committed = true;
            return 0;
        case ZIP_SOURCE_ROLLBACK_WRITE:
            written = QByteArray();
            writing = false;
            return 0;
        case ZIP_SOURCE_REMOVE:
            data = QByteArray();
            committed = true;
            return 0;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error, arg, length);
        case ZIP_SOURCE_FREE:
            return 0; // owned by the writer
        case ZIP_SOURCE_SUPPORTS:
            // Deliberately without ZIP_SOURCE_BEGIN_WRITE_CLONING: the whole archive is written anew,
            // unchanged members copied as they are stored.
            return ZIP_SOURCE_SUPPORTS_WRITABLE;
        default:
            zip_error_set(&error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

    // Appends at the end; bytes before it are written over in place.
    zip_int64_t writeToFile(const char *bytes, zip_uint64_t length)
    {
        if (writeAt > fileEnd) {
            zip_error_set(&error, ZIP_ER_SEEK, 0);
            return -1;
        }
        const zip_uint64_t inside = std::min(length, fileEnd - writeAt);
        for (zip_uint64_t done = 0; done < inside;) {
            const ssize_t n = ::pwrite(file->handle(), bytes + done, size_t(inside - done), off_t(writeAt + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                zip_error_set(&error, ZIP_ER_WRITE, n < 0 ? errno : ENOSPC);
                return -1;
            }
            done += zip_uint64_t(n);
        }
        if (length > inside) {
            fileFailure = file->write(QByteArrayView(bytes + inside, qsizetype(length - inside)));
            if (!fileFailure) {
                zip_error_set(&error, ZIP_ER_WRITE, 0);
                return -1;
            }
            fileEnd = writeAt + length;
        }
        writeAt += length;
        return zip_int64_t(length);
    }
};

} // namespace

struct ZipWriter::Private {
    ArchiveSource archive;
    zip_t *zip = nullptr;
    std::list<DeflatedMember> members;
    ~Private()
    {
        for (DeflatedMember &m : members) {
            m.wait();
            zip_error_fini(&m.error);
        }
    }
};

qm::Result<ZipWriter> ZipWriter::create()
{
    return open(QByteArray(), nullptr);
}

qm::Result<ZipWriter> ZipWriter::create(qm::AtomicFile &file)
{
    return open(QByteArray(), &file);
}

qm::Result<ZipWriter> ZipWriter::update(const QByteArray &original)
{
    return open(original, nullptr);
}

qm::Result<ZipWriter> ZipWriter::open(const QByteArray &original, qm::AtomicFile *file)
{
    ZipWriter writer;
    writer.d = new Private;
    writer.d->archive.data = original;
    writer.d->archive.file = file;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_function_create(&ArchiveSource::callback, &writer.d->archive, &error);
    if (source) {
        writer.d->zip = zip_open_from_source(source, original.isEmpty() ? ZIP_TRUNCATE : 0, &error);
        if (!writer.d->zip)
            zip_source_free(source);
    }
    if (!writer.d->zip) {
        const QString message = zipError(&error);
        zip_error_fini(&error);
        return qm::makeError(QStringLiteral("the zip archive cannot be written: %1").arg(message));
    }
    zip_error_fini(&error);
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
        zip_discard(d->zip);
    delete d;
}

qm::Status ZipWriter::put(const QString &name, QByteArray data)
{
    DeflatedMember &m = d->members.emplace_back();
    zip_error_init(&m.error);
    // Deferred when no thread can be started: then it runs when libzip asks.
    m.done = std::async(std::launch::async | std::launch::deferred, [&m, data = std::move(data)]() mutable {
        const bool ok = m.deflateAll(data);
        data = QByteArray();
        return ok;
    });
    return add(name, m);
}

qm::Status ZipWriter::putDeflated(const QString &name, QByteArray stream, quint64 size, quint32 crc)
{
    DeflatedMember &m = deflatedMember(size, crc);
    m.stream = std::move(stream);
    return add(name, m);
}

qm::Status ZipWriter::putSpilled(const QString &name, std::shared_ptr<const SpilledStream> stream, quint64 size, quint32 crc)
{
    DeflatedMember &m = deflatedMember(size, crc);
    m.spilled = std::move(stream);
    return add(name, m);
}

ZipWriter::DeflatedMember &ZipWriter::deflatedMember(quint64 size, quint32 crc)
{
    DeflatedMember &m = d->members.emplace_back();
    zip_error_init(&m.error);
    m.size = size;
    m.crc = crc;
    m.waited = m.ok = true;
    return m;
}

qm::Status ZipWriter::add(const QString &name, DeflatedMember &m)
{
    zip_source_t *member = zip_source_function(d->zip, &DeflatedMember::callback, &m);
    if (!member)
        return qm::makeError(QStringLiteral("cannot add %1 to the archive: %2").arg(name, QString::fromUtf8(zip_strerror(d->zip))));
    const zip_int64_t index = zip_file_add(d->zip, name.toUtf8().constData(), member, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(member);
        return qm::makeError(QStringLiteral("cannot add %1 to the archive: %2").arg(name, QString::fromUtf8(zip_strerror(d->zip))));
    }
    zip_file_set_dostime(d->zip, zip_uint64_t(index), 0, (0 << 9) | (1 << 5) | 1, 0);
    return {};
}

qm::Status ZipWriter::remove(const QString &name)
{
    const zip_int64_t index = zip_name_locate(d->zip, name.toUtf8().constData(), 0);
    if (index >= 0 && zip_delete(d->zip, zip_uint64_t(index)) < 0)
        return qm::makeError(QStringLiteral("cannot remove %1 from the archive: %2").arg(name, QString::fromUtf8(zip_strerror(d->zip))));
    return {};
}

qm::Result<QByteArray> ZipWriter::finish()
{
    if (zip_close(d->zip) < 0) {
        if (!d->archive.fileFailure)
            return d->archive.fileFailure.error();
        return qm::makeError(QStringLiteral("the zip archive cannot be finished: %1").arg(QString::fromUtf8(zip_strerror(d->zip))));
    }
    d->zip = nullptr;
    // An archive without changes is not written again: it is the original.
    return std::move(d->archive.data);
}

} // namespace excel::backend
