#include "platform/excel/ZipArchive.h"

#include <zip.h>

#include <list>

namespace excel::backend {

namespace {
QString zipError(zip_error_t *error)
{
    return QString::fromUtf8(zip_error_strerror(error));
}
} // namespace

qint64 ZipReader::inflateLimit = ZipReader::MaxInflatedBytes;

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
    return ZipReader(zip);
}

ZipReader::ZipReader(ZipReader &&other) noexcept : m_zip(other.m_zip), m_inflated(other.m_inflated)
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
    char buffer[1 << 16];
    qm::Status result;
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            result = qm::makeError(QStringLiteral("the part %1 is damaged: %2").arg(name, QString::fromUtf8(zip_file_strerror(file))));
            break;
        }
        if (n == 0)
            break;
        m_inflated += n;
        if (m_inflated > inflateLimit) {
            result = qm::makeError(QStringLiteral("the archive inflates to more than %1 bytes; it is not read").arg(inflateLimit));
            break;
        }
        result = sink(buffer, size_t(n));
        if (!result)
            break;
    }
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

struct ZipWriter::Private {
    zip_source_t *source = nullptr;
    zip_t *zip = nullptr;
    std::list<QByteArray> keep; // member data must live until the archive is closed
};

qm::Result<ZipWriter> ZipWriter::create()
{
    return update(QByteArray());
}

qm::Result<ZipWriter> ZipWriter::update(const QByteArray &original)
{
    ZipWriter writer;
    writer.d = new Private;
    zip_error_t error;
    zip_error_init(&error);
    writer.d->keep.push_back(original);
    const QByteArray &base = writer.d->keep.back();
    writer.d->source = zip_source_buffer_create(base.isEmpty() ? nullptr : base.constData(), zip_uint64_t(base.size()), 0, &error);
    if (writer.d->source) {
        zip_source_keep(writer.d->source);
        writer.d->zip = zip_open_from_source(writer.d->source, base.isEmpty() ? ZIP_TRUNCATE : 0, &error);
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
    if (d->source)
        zip_source_free(d->source);
    delete d;
}

qm::Status ZipWriter::put(const QString &name, QByteArray data)
{
    d->keep.push_back(std::move(data));
    const QByteArray &bytes = d->keep.back();
    zip_source_t *member = zip_source_buffer(d->zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
    if (!member)
        return qm::makeError(QStringLiteral("cannot add %1 to the archive: %2").arg(name, QString::fromUtf8(zip_strerror(d->zip))));
    const zip_int64_t index = zip_file_add(d->zip, name.toUtf8().constData(), member, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(member);
        return qm::makeError(QStringLiteral("cannot add %1 to the archive: %2").arg(name, QString::fromUtf8(zip_strerror(d->zip))));
    }
    // Level 1: big sheets compress several times faster for a few percent of size.
    zip_set_file_compression(d->zip, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
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
    if (zip_close(d->zip) < 0)
        return qm::makeError(QStringLiteral("the zip archive cannot be finished: %1").arg(QString::fromUtf8(zip_strerror(d->zip))));
    d->zip = nullptr;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(d->source, &st) < 0 || zip_source_open(d->source) < 0)
        return qm::makeError(QStringLiteral("the finished zip archive cannot be read back"));
    QByteArray out;
    out.resize(qsizetype(st.size));
    const zip_int64_t n = zip_source_read(d->source, out.data(), st.size);
    zip_source_close(d->source);
    if (n < 0 || zip_uint64_t(n) != st.size)
        return qm::makeError(QStringLiteral("the finished zip archive cannot be read back"));
    return out;
}

} // namespace excel::backend
