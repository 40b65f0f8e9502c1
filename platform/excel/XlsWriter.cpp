#include "platform/excel/Backends.h"
#include "platform/excel/BiffRecords.h"
#include "platform/excel/ByteSink.h"

#include <QHash>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>

#include <cstring>
#include <vector>

namespace excel::backend {

namespace {

using biff::Body;

// The shared string table: the SST record and its CONTINUE records, split
// between characters (never inside a string header) as BIFF8 requires,
// and the EXTSST index into it.
class SstWriter {
public:
    explicit SstWriter(qsizetype expected)
    {
        size_t size = 64;
        while (size < size_t(expected) * 2)
            size *= 2;
        m_slots.assign(size, 0);
    }
    // An open-addressing table of (hash, index + 1) in one array: a lookup
    // costs one cache miss, not the several of a node-based hash.
    std::uint32_t index(const QString &text)
    {
        ++m_total;
        const std::uint32_t hash = std::uint32_t(qHash(text));
        const size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            const std::uint64_t slot = m_slots[at];
            if (slot == 0) {
                const std::uint32_t i = std::uint32_t(m_texts.size());
                m_slots[at] = (std::uint64_t(hash) << 32) | (std::uint64_t(i) + 1);
                m_texts.push_back(text);
                if (m_texts.size() * 2 > m_slots.size())
                    rehash();
                return i;
            }
            if (std::uint32_t(slot >> 32) == hash && m_texts[size_t(std::uint32_t(slot) - 1)] == text)
                return std::uint32_t(slot) - 1;
        }
    }

    // The records, for a table that starts at stream position `at`.
    QByteArray records(qint64 at) const
    {
        QByteArray out;
        QByteArray current = Body().u32(m_total).u32(std::uint32_t(m_texts.size())).data();
        unsigned type = 0x00FC;
        qint64 recordStart = at;
        const std::uint32_t bucket = bucketSize();
        std::vector<std::pair<std::uint32_t, unsigned>> buckets; // stream position, offset in record
        auto flush = [&] {
            out += biff::record(type, current);
            recordStart = at + out.size();
            current.clear();
            type = 0x003C;
        };
        for (std::uint32_t i = 0; i < m_texts.size(); ++i) {
            const QString &text = m_texts[i];
            const bool compressed = biff::fitsLatin1(text);
            const int charSize = compressed ? 1 : 2;
            if (current.size() + 3 + charSize > biff::MaxRecordData)
                flush();
            if (i % bucket == 0)
                buckets.push_back({std::uint32_t(recordStart + 4 + current.size()), unsigned(4 + current.size())});
            current += Body().u16(unsigned(text.size())).u8(compressed ? 0 : 1).data();
            qsizetype done = 0;
            while (done < text.size()) {
                const qsizetype room = (biff::MaxRecordData - current.size()) / charSize;
                if (room <= 0) {
                    flush();
                    current += char(compressed ? 0 : 1); // a continued string repeats its flags
                    continue;
                }
                const qsizetype n = std::min(room, text.size() - done);
                biff::appendChars(current, QStringView(text).mid(done, n), compressed);
                done += n;
            }
        }
        flush();
        Body ext;
        ext.u16(bucket);
        for (const auto &[position, offset] : buckets)
            ext.u32(position).u16(offset).u16(0);
        out += biff::record(0x00FF, ext.data());
        return out;
    }

private:
    void rehash()
    {
        std::vector<std::uint64_t> old(m_slots.size() * 2, 0);
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (std::uint64_t slot : old) {
            if (slot == 0)
                continue;
            size_t at = size_t(slot >> 32) & mask;
            while (m_slots[at] != 0)
                at = (at + 1) & mask;
            m_slots[at] = slot;
        }
    }
    std::uint32_t bucketSize() const
    {
        // At most 128 buckets keeps EXTSST within one record.
        return std::max<std::uint32_t>(8, std::uint32_t(m_texts.size() / 128 + 1));
    }
    std::vector<std::uint64_t> m_slots;
    std::vector<QString> m_texts;
    std::uint32_t m_total = 0;
};

int biffXf(std::uint32_t xf)
{
    return int(xf) + 15; // XF 0 to 14 are the style formats, then our table
}

// A cell record: type, length, row, column, XF; the value follows.
void cellHeader(ByteSink &out, unsigned type, unsigned length, int row, int column, int xf)
{
    out.le16(type);
    out.le16(length);
    out.le16(unsigned(row));
    out.le16(unsigned(column));
    out.le16(unsigned(xf));
}

QByteArray sheetStream(const Worksheet &sheet, SstWriter &sst, bool selected)
{
    const SheetData &data = sheet.data();
    ByteSink out(qsizetype(data.cellCount()) * 14 + 1024);
    out << biff::bof(biff::Sheet) << biff::defColWidth();
    if (sheet.defaultXf() != 0)
        out << biff::colInfoAll(biffXf(sheet.defaultXf()));
    const SheetData::Bounds b = data.bounds(sheet.defaultXf());
    out << (b.empty() ? biff::dimensions(0, 0, 0, 0) : biff::dimensions(b.firstRow - 1, b.lastRow, b.firstColumn - 1, b.lastColumn));
    for (int r = 1; r <= data.rowCount(); ++r) {
        for (const Cell &c : data.row(r)) {
            const int row = r - 1, column = c.column - 1, xf = biffXf(c.xf);
            switch (c.value.type()) {
            case Value::Type::Empty:
                if (c.xf != sheet.defaultXf())
                    cellHeader(out, 0x0201, 6, row, column, xf); // BLANK
                break;
            case Value::Type::Number: {
                cellHeader(out, 0x0203, 14, row, column, xf); // NUMBER
                std::uint64_t bits;
                const double number = c.value.number();
                std::memcpy(&bits, &number, sizeof bits);
                out.le32(std::uint32_t(bits));
                out.le32(std::uint32_t(bits >> 32));
                break;
            }
            case Value::Type::Text:
                cellHeader(out, 0x00FD, 10, row, column, xf); // LABELSST
                out.le32(sst.index(c.value.text()));
                break;
            case Value::Type::Bool:
            case Value::Type::Error: {
                const bool error = c.value.isError();
                cellHeader(out, 0x0205, 8, row, column, xf); // BOOLERR
                out << char(error ? int(c.value.errorCode()) : c.value.toBool() ? 1 : 0) << char(error ? 1 : 0);
                break;
            }
            }
        }
    }
    out << biff::window2(selected) << biff::eof();
    return out.take();
}

QByteArray workbookStream(const Workbook &book)
{
    qsizetype cells = 0;
    for (int i = 1; i <= book.Worksheets().Count(); ++i)
        cells += qsizetype(book.Worksheets().Item(i).value()->data().cellCount());
    SstWriter sst(cells);
    std::vector<QByteArray> sheets;
    for (int i = 1; i <= book.Worksheets().Count(); ++i)
        sheets.push_back(sheetStream(*book.Worksheets().Item(i).value(), sst, i == 1));

    QByteArray globals = biff::bof(biff::Globals);
    globals += biff::writeAccess(QStringLiteral("Quillmark"));
    globals += biff::codePage();
    globals += biff::window1();
    globals += biff::dateMode(book.date1904);
    for (int i = 0; i < 5; ++i)
        globals += biff::font();
    for (const auto &[id, code] : book.formats().numFmts)
        if (id >= 164)
            globals += biff::format(id, code);
    for (int i = 0; i < 15; ++i)
        globals += biff::styleXf(i > 0);
    for (std::uint32_t i = 0; i < book.formats().size(); ++i)
        globals += biff::cellXf(book.formats().at(i));
    globals += biff::normalStyle();
    std::vector<qsizetype> boundSheetAt;
    for (int i = 1; i <= book.Worksheets().Count(); ++i) {
        boundSheetAt.push_back(globals.size());
        globals += biff::boundSheet(book.Worksheets().Item(i).value()->Name());
    }
    globals += sst.records(globals.size());
    globals += biff::eof();

    // Each BOUNDSHEET names the stream position of its sheet's BOF.
    qint64 position = globals.size();
    for (size_t i = 0; i < sheets.size(); ++i) {
        const std::uint32_t p = std::uint32_t(position);
        char *field = globals.data() + boundSheetAt[i] + 4;
        field[0] = char(p & 0xFF);
        field[1] = char((p >> 8) & 0xFF);
        field[2] = char((p >> 16) & 0xFF);
        field[3] = char((p >> 24) & 0xFF);
        position += sheets[i].size();
    }
    QByteArray stream = globals;
    for (const QByteArray &s : sheets)
        stream += s;
    // Excel wants the workbook stream outside the short-stream area.
    if (stream.size() < 4096)
        stream += QByteArray(4096 - stream.size(), '\0');
    return stream;
}

qm::Result<QByteArray> encodeXls(const Workbook &book)
{
    const QByteArray stream = workbookStream(book);
    GsfOutput *memory = gsf_output_memory_new();
    GsfOutfile *ole = gsf_outfile_msole_new(memory);
    if (!ole) {
        g_object_unref(memory);
        return qm::makeError(QStringLiteral("the .xls container cannot be created"));
    }
    GsfOutput *child = gsf_outfile_new_child(ole, "Workbook", FALSE);
    bool ok = child && gsf_output_write(child, size_t(stream.size()), reinterpret_cast<const guint8 *>(stream.constData()));
    if (child) {
        ok = gsf_output_close(child) && ok;
        g_object_unref(child);
    }
    ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
    g_object_unref(ole);
    QByteArray bytes;
    if (ok) {
        const guint8 *data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
        bytes = QByteArray(reinterpret_cast<const char *>(data), qsizetype(gsf_output_size(memory)));
    }
    if (!gsf_output_is_closed(memory))
        gsf_output_close(memory);
    g_object_unref(memory);
    if (!ok)
        return qm::makeError(QStringLiteral("the .xls container cannot be written"));
    return bytes;
}

// Only a file that this writer gives back byte for byte, once read, holds
// nothing the model lacks (formulas, merged cells, macros...); such a file
// may be written anew as a whole.
bool modelHoldsWholeFile(const Workbook &book)
{
    Workbook reread;
    bool handled = false;
    if (!readBiff8(reread, book.sourceBytes, book.FullName(), &handled).ok() || !handled)
        return false;
    const qm::Result<QByteArray> again = encodeXls(reread);
    return again.ok() && again.value() == book.sourceBytes;
}

} // namespace

qm::Result<QByteArray> writeXls(const Workbook &book)
{
    if (book.fromFile() && book.sourceFormat == FileFormat::Xls) {
        bool changed = false;
        for (int i = 1; i <= book.Worksheets().Count(); ++i) {
            const Worksheet &s = *book.Worksheets().Item(i).value();
            changed = changed || s.modified() || s.sourceIndex < 0 || s.Name() != s.sourceName;
        }
        if (!changed)
            return book.sourceBytes;
        if (!modelHoldsWholeFile(book))
            return qm::makeError(QStringLiteral(
                "changing this .xls workbook is not supported, because its other sheets could not be kept exactly "
                "as they are; export into a new workbook or into an .xlsx workbook"));
    }
    return encodeXls(book);
}

} // namespace excel::backend
