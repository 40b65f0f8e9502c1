#include "platform/excel/xls/BiffStream.h"
#include "platform/excel/xls/GsfLog.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>

namespace excel::backend::biff {

bool recordAt(const QByteArray &stream, qsizetype at, Record *r)
{
    if (at + 4 > stream.size())
        return false;
    Cursor c(stream.constData() + at, 4);
    r->type = c.u16();
    const unsigned length = c.u16();
    if (length > 8224 || at + 4 + length > stream.size())
        return false;
    r->body = QByteArray::fromRawData(stream.constData() + at + 4, length);
    r->offset = at;
    return true;
}

unsigned bofVersion(const QByteArray &stream)
{
    Record r;
    if (!recordAt(stream, 0, &r) || r.type != 0x0809 || r.body.size() < 2)
        return 0;
    return Cursor(r.body.constData(), 2).u16();
}

QString readChars(Cursor &c, unsigned count, bool wide)
{
    QString s;
    s.reserve(std::min<qsizetype>(count, c.left()));
    for (unsigned i = 0; i < count && !c.bad(); ++i)
        s += QChar(char16_t(wide ? c.u16() : c.u8()));
    return s;
}

QString readString(Cursor &c, int lengthBytes)
{
    const unsigned cch = lengthBytes == 1 ? c.u8() : c.u16();
    const unsigned flags = c.u8();
    unsigned runs = 0;
    std::uint32_t ext = 0;
    if (flags & 0x08)
        runs = c.u16();
    if (flags & 0x04)
        ext = c.u32();
    QString s = readChars(c, cch, flags & 0x01);
    c.skip(qsizetype(runs) * 4 + ext);
    return s;
}

qm::Status SstReader::read(std::vector<QString> &out, std::map<std::uint32_t, SstExtras> *extras)
{
    if (m_segments.empty())
        return {};
    Cursor head(m_segments[0].constData(), m_segments[0].size());
    head.u32();
    const std::uint32_t unique = head.u32();
    if (head.bad())
        return qm::makeError(QStringLiteral("the shared string table is cut short"));
    m_seg = 0;
    m_cursor = Cursor(m_segments[0].constData() + 8, m_segments[0].size() - 8);
    for (std::uint32_t i = 0; i < unique; ++i) {
        if (!ensure(3))
            break; // fewer strings than claimed: use what is there
        const unsigned cch = m_cursor.u16();
        unsigned flags = m_cursor.u8();
        unsigned runs = 0;
        std::uint32_t ext = 0;
        if (flags & 0x08) {
            if (!ensure(2))
                return broken(i);
            runs = m_cursor.u16();
        }
        if (flags & 0x04) {
            if (!ensure(4))
                return broken(i);
            ext = m_cursor.u32();
        }
        QString s;
        unsigned done = 0;
        while (done < cch) {
            if (m_cursor.left() == 0) {
                if (!next())
                    return broken(i);
                flags = (flags & ~0x01u) | (m_cursor.u8() & 0x01); // a continued string states its width again
            }
            const unsigned width = flags & 0x01 ? 2 : 1;
            const unsigned n = std::min<unsigned>(cch - done, unsigned(m_cursor.left() / width));
            if (n == 0)
                return broken(i);
            s += readChars(m_cursor, n, width == 2);
            done += n;
        }
        if (extras && (runs > 0 || ext > 0)) {
            SstExtras &kept = (*extras)[i];
            if (!skip(qsizetype(runs) * 4, &kept.runs) || !skip(qsizetype(ext), &kept.phonetic))
                return broken(i);
        } else if (!skip(qsizetype(runs) * 4 + ext)) {
            return broken(i);
        }
        out.push_back(std::move(s));
    }
    return {};
}

qm::Status SstReader::broken(std::uint32_t i) const
{
    return qm::makeError(QStringLiteral("shared string %1 is cut short").arg(i));
}

bool SstReader::atEnd() const
{
    if (m_cursor.left() != 0)
        return false;
    for (size_t s = m_seg + 1; s < m_segments.size(); ++s)
        if (!m_segments[s].isEmpty())
            return false;
    return true;
}

bool SstReader::next()
{
    if (++m_seg >= m_segments.size())
        return false;
    m_cursor = Cursor(m_segments[m_seg].constData(), m_segments[m_seg].size());
    return true;
}

bool SstReader::ensure(qsizetype n)
{
    while (m_cursor.left() == 0)
        if (!next())
            return false;
    return m_cursor.has(n);
}

bool SstReader::skip(qsizetype n, QByteArray *into)
{
    while (n > 0) {
        if (m_cursor.left() == 0 && !next())
            return false;
        const qsizetype step = std::min(n, m_cursor.left());
        const char *bytes = m_cursor.take(step);
        if (into)
            into->append(bytes, step);
        n -= step;
    }
    return true;
}

qm::Result<QByteArray> workbookStream(const QByteArray &file)
{
    GsfLogCapture log;
    GError *error = nullptr;
    GsfInput *input = gsf_input_memory_new(reinterpret_cast<const guint8 *>(file.constData()), gsf_off_t(file.size()), FALSE);
    GsfInfile *ole = gsf_infile_msole_new(input, &error);
    g_object_unref(input);
    if (!ole) {
        const QString why = error ? QString::fromUtf8(error->message) : QString();
        if (error)
            g_error_free(error);
        return qm::makeError(QStringLiteral("is not a valid .xls file (broken OLE2 container: %1%2)").arg(why, log.detail()));
    }
    GsfInput *stream = gsf_infile_child_by_name(ole, "Workbook");
    if (!stream)
        stream = gsf_infile_child_by_name(ole, "Book");
    QByteArray bytes;
    bool ok = stream != nullptr;
    if (stream) {
        const gsf_off_t size = gsf_input_size(stream);
        ok = size >= 0 && size <= file.size() * 2 + 4096; // a stream is never larger than its file
        while (ok && gsf_input_remaining(stream) > 0) {
            const size_t n = size_t(std::min<gsf_off_t>(gsf_input_remaining(stream), 1 << 16));
            const guint8 *data = gsf_input_read(stream, n, nullptr);
            if (!data) {
                ok = false;
                break;
            }
            bytes.append(reinterpret_cast<const char *>(data), qsizetype(n));
        }
        g_object_unref(stream);
    }
    g_object_unref(ole);
    if (!ok)
        return qm::makeError(QStringLiteral("is not an Excel workbook: the .xls container holds no readable workbook stream%1").arg(log.detail()));
    return bytes;
}

} // namespace excel::backend::biff
