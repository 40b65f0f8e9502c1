#include "platform/excel/xls/Xls.h"
#include "platform/excel/biff/BiffRecords.h"
#include "platform/excel/xls/BiffStream.h"
#include "platform/excel/biff/XlsParts.h"

#include <QSet>

#include <map>
#include <vector>

// An .xls file another program wrote, with one sheet replaced or added:
// every other record is copied as it is, and what points into the stream
// (sheet entries, row indexes) is moved with it. The shared string table is
// laid out anew, its strings as the file had them, and the cells of the
// copied sheets take their strings' new indexes.
namespace excel::backend {

namespace {

using biff::Cursor;
using biff::Record;
using biff::recordAt;

enum : unsigned {
    BofType = 0x0809, EofType = 0x000A, BoundSheetType = 0x0085, SstType = 0x00FC, ContinueType = 0x003C,
    ExtSstType = 0x00FF, XfType = 0x00E0, FormatType = 0x041E, TabIdType = 0x013D, SupBookType = 0x01AE,
    IndexType = 0x020B, LabelSstType = 0x00FD,
};

void putU32(QByteArray &bytes, qsizetype at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((v >> (8 * i)) & 0xFF);
}

std::uint32_t u32At(const QByteArray &bytes, qsizetype at)
{
    Cursor c(bytes.constData() + at, 4);
    return c.u32();
}

QByteArray wholeRecord(const QByteArray &stream, const Record &r)
{
    return stream.mid(r.offset, 4 + r.body.size());
}

// One entry of the sheet list and the substream it names.
struct SourceSheet {
    Record entry;
    unsigned kind = 0;
    qsizetype begin = 0, end = 0;
};

class XlsUpdate {
public:
    XlsUpdate(const Workbook &book, const QByteArray &stream) : m_book(book), m_stream(stream) {}

    qm::Result<QByteArray> run()
    {
        if (auto read = readGlobals(); !read)
            return read.error();
        if (auto strings = readSharedStrings(); !strings)
            return strings.error();
        if (auto mapped = mapSheets(); !mapped)
            return mapped.error();
        const std::uint32_t fileXfs = m_xfCount;
        const CellFormatTable &formats = m_book.formats();
        if (fileXfs < formats.fileCount)
            return refuse(QStringLiteral("its cell formats do not match the ones read"));
        m_xfBase = int(fileXfs - formats.fileCount);
        if (fileXfs + (formats.size() - formats.fileCount) > 4000)
            return refuse(QStringLiteral("it would need more than 4000 cell formats"));

        // The table is written anew: first the strings of the sheets copied
        // as they are, in the file's order, then those of the sheets written
        // here. A string only a replaced sheet used goes with it.
        qsizetype cells = qsizetype(m_oldStrings.size());
        for (int i = 1; i <= m_book.Worksheets().Count(); ++i)
            cells += qsizetype(m_book.Worksheets().at(i)->data().cellCount());
        biff::SstWriter sst(cells);
        if (auto kept = keepCopiedStrings(sst); !kept)
            return kept.error();
        std::map<const Worksheet *, QByteArray> written;
        for (int i = 1; i <= m_book.Worksheets().Count(); ++i) {
            const Worksheet *sheet = m_book.Worksheets().at(i);
            if (sheet->modified() || sheet->sourceIndex < 0)
                written[sheet] = sheetStream(*sheet, sst, false, m_xfBase);
        }

        QByteArray globals = globalsWith(sst);
        if (const QString problem = sst.problem(); !problem.isEmpty())
            return qm::makeError(problem);
        std::vector<std::pair<qsizetype, const Worksheet *>> newEntries;
        QByteArray sheets;
        qsizetype position = globals.size();
        for (size_t i = 0; i < m_sources.size(); ++i) {
            const SourceSheet &s = m_sources[i];
            putU32(globals, m_entryAt[i] + 4, std::uint32_t(position));
            const Worksheet *model = m_modelOf.count(i) ? m_modelOf[i] : nullptr;
            QByteArray bytes = model && written.count(model) ? written[model] : copied(s, position);
            position += bytes.size();
            sheets += bytes;
        }
        for (const auto &[at, sheet] : m_newEntryAt) {
            putU32(globals, at + 4, std::uint32_t(position));
            position += written[sheet].size();
            sheets += written[sheet];
        }
        QByteArray stream = globals + sheets;
        if (stream.size() < 4096)
            stream += QByteArray(4096 - stream.size(), '\0');
        return stream;
    }

private:
    qm::Error refuse(const QString &why) const
    {
        return qm::makeError(QStringLiteral("this .xls workbook cannot take the sheet, because %1; it is left unchanged. "
                                            "Export into a new workbook or into an .xlsx workbook").arg(why));
    }

    qm::Status readGlobals()
    {
        Record r;
        if (!recordAt(m_stream, 0, &r) || r.type != BofType || r.body.size() < 2 || Cursor(r.body.constData(), 2).u16() != 0x0600)
            return refuse(QStringLiteral("it is not an Excel 97-2003 (BIFF8) workbook"));
        for (qsizetype at = 0; recordAt(m_stream, at, &r); at += 4 + r.body.size()) {
            m_globals.push_back(r);
            if (r.type == EofType)
                return {};
            Cursor c(r.body.constData(), r.body.size());
            switch (r.type) {
            case XfType: ++m_xfCount; break;
            case FormatType: m_formatIds.insert(int(c.u16())); break;
            case SstType: c.u32(); m_sstUnique = c.u32(); break;
            case BoundSheetType: {
                SourceSheet s;
                s.entry = r;
                s.begin = qsizetype(c.u32());
                c.u8();
                s.kind = c.u8();
                s.end = substreamEnd(s.begin);
                if (c.bad() || s.end < 0)
                    return refuse(QStringLiteral("sheet entry %1 points at no sheet").arg(m_sources.size() + 1));
                m_sources.push_back(s);
                break;
            }
            default: break;
            }
        }
        return refuse(QStringLiteral("its workbook globals end without an EOF record"));
    }

    // Just past the EOF that closes the substream beginning at `at`; -1 when there is none.
    qsizetype substreamEnd(qsizetype at) const
    {
        Record r;
        if (!recordAt(m_stream, at, &r) || r.type != BofType)
            return -1;
        int depth = 0;
        for (; recordAt(m_stream, at, &r); at += 4 + r.body.size()) {
            if (r.type == BofType)
                ++depth;
            else if (r.type == EofType && --depth == 0)
                return at + 4 + r.body.size();
        }
        return -1;
    }

    // Worksheets of the model to entries of the file, by their position among the file's worksheets.
    qm::Status mapSheets()
    {
        std::vector<size_t> worksheetEntries;
        for (size_t i = 0; i < m_sources.size(); ++i)
            if (m_sources[i].kind == 0)
                worksheetEntries.push_back(i);
        QSet<int> seen;
        for (int i = 1; i <= m_book.Worksheets().Count(); ++i) {
            const Worksheet *sheet = m_book.Worksheets().at(i);
            if (sheet->sourceIndex < 0)
                continue;
            if (size_t(sheet->sourceIndex) >= worksheetEntries.size() || seen.contains(sheet->sourceIndex))
                return refuse(QStringLiteral("its sheets no longer match the file"));
            seen.insert(sheet->sourceIndex);
            m_modelOf[worksheetEntries[size_t(sheet->sourceIndex)]] = sheet;
        }
        if (size_t(seen.size()) != worksheetEntries.size())
            return refuse(QStringLiteral("a sheet of the file would be lost"));
        return {};
    }

    bool rewritten(size_t source) const
    {
        const auto model = m_modelOf.find(source);
        return model != m_modelOf.end() && model->second->modified();
    }

    // The file's strings that the sheets copied as they are refer to go into
    // `sst`; m_newIndex maps their indexes.
    qm::Status keepCopiedStrings(biff::SstWriter &sst)
    {
        std::vector<bool> used(m_oldStrings.size(), false);
        std::uint32_t references = 0;
        for (size_t i = 0; i < m_sources.size(); ++i) {
            if (rewritten(i))
                continue;
            const SourceSheet &s = m_sources[i];
            Record r;
            for (qsizetype at = s.begin; at < s.end && recordAt(m_stream, at, &r); at += 4 + r.body.size()) {
                if (r.type != LabelSstType || r.body.size() < 10)
                    continue;
                const std::uint32_t index = u32At(r.body, 6);
                if (index >= used.size())
                    return refuse(QStringLiteral("a cell of sheet %1 names shared string %2, which the file does not hold")
                                      .arg(QString::number(i + 1), QString::number(index)));
                used[index] = true;
                ++references;
            }
        }
        m_newIndex.assign(m_oldStrings.size(), 0);
        for (std::uint32_t i = 0; i < used.size(); ++i) {
            if (!used[i])
                continue;
            const auto extras = m_oldExtras.find(i);
            m_newIndex[i] = sst.keep(m_oldStrings[i], extras == m_oldExtras.end() ? biff::SstExtras() : extras->second);
        }
        sst.addReferences(references);
        return {};
    }

    // A sheet kept as it is, moved to `position`: its row indexes move with
    // it, and its cells' shared strings take their new indexes.
    QByteArray copied(const SourceSheet &s, qsizetype position) const
    {
        QByteArray bytes = m_stream.mid(s.begin, s.end - s.begin);
        const qint64 delta = qint64(position) - qint64(s.begin);
        Record r;
        for (qsizetype at = 0; recordAt(bytes, at, &r); at += 4 + r.body.size()) {
            if (r.type == LabelSstType && r.body.size() >= 10) {
                putU32(bytes, at + 4 + 6, m_newIndex[u32At(bytes, at + 4 + 6)]);
                continue;
            }
            if (r.type != IndexType || r.body.size() < 16 || delta == 0)
                continue;
            // ibXF at 12, then one DBCELL position per block of rows; 0 means none.
            for (qsizetype field = 12; field + 4 <= r.body.size(); field += 4) {
                const std::uint32_t v = u32At(bytes, at + 4 + field);
                if (v != 0)
                    putU32(bytes, at + 4 + field, std::uint32_t(qint64(v) + delta));
            }
        }
        return bytes;
    }

    QByteArray globalsWith(const biff::SstWriter &sst)
    {
        const CellFormatTable &formats = m_book.formats();
        const int addedSheets = int(newSheets().size());
        QByteArray out;
        size_t lastXf = 0, lastEntry = 0, firstXf = m_globals.size();
        for (size_t i = 0; i < m_globals.size(); ++i) {
            if (m_globals[i].type == XfType) {
                lastXf = i;
                firstXf = std::min(firstXf, i);
            } else if (m_globals[i].type == BoundSheetType) {
                lastEntry = i;
            }
        }
        bool sstDone = false;
        size_t sheetIndex = 0;
        for (size_t i = 0; i < m_globals.size(); ++i) {
            const Record &r = m_globals[i];
            if (i == firstXf)
                for (const auto &[id, code] : formats.numFmts)
                    if (id >= 164 && !m_formatIds.contains(id))
                        out += biff::format(id, code);
            switch (r.type) {
            case BoundSheetType: {
                m_entryAt.push_back(out.size());
                const Worksheet *model = m_modelOf.count(sheetIndex) ? m_modelOf[sheetIndex] : nullptr;
                if (model && model->Name() != model->sourceName) {
                    // Visibility and kind stay; the position is set later.
                    biff::Body b;
                    b.u32(0).u8(std::uint8_t(r.body[4])).u8(std::uint8_t(r.body[5])).shortString(model->Name());
                    out += biff::record(BoundSheetType, b.data());
                } else {
                    out += wholeRecord(m_stream, r);
                }
                ++sheetIndex;
                if (i == lastEntry)
                    for (const Worksheet *sheet : newSheets()) {
                        m_newEntryAt.push_back({out.size(), sheet});
                        out += biff::boundSheet(sheet->Name());
                    }
                break;
            }
            case SstType:
                while (i + 1 < m_globals.size() && m_globals[i + 1].type == ContinueType)
                    ++i;
                out += sst.records(out.size());
                sstDone = true;
                break;
            case ExtSstType:
                break; // written again after its table
            case TabIdType: {
                unsigned next = 0;
                Cursor c(r.body.constData(), r.body.size());
                while (c.left() >= 2)
                    next = std::max(next, c.u16());
                biff::Body ids;
                for (int k = 0; k < addedSheets; ++k)
                    ids.u16(++next);
                out += biff::record(TabIdType, r.body + ids.data());
                break;
            }
            case SupBookType: {
                Cursor c(r.body.constData(), r.body.size());
                const unsigned sheets = c.u16();
                if (r.body.size() == 4 && c.u16() == 0x0401) // this workbook's own sheet count
                    out += biff::record(SupBookType, biff::Body().u16(sheets + unsigned(addedSheets)).u16(0x0401).data());
                else
                    out += wholeRecord(m_stream, r);
                break;
            }
            case EofType:
                if (!sstDone && sst.size() > 0)
                    out += sst.records(out.size());
                out += wholeRecord(m_stream, r);
                break;
            default:
                out += wholeRecord(m_stream, r);
                break;
            }
            if (r.type == XfType && i == lastXf)
                for (std::uint32_t t = formats.fileCount; t < formats.size(); ++t)
                    out += biff::cellXf(formats.at(t));
        }
        return out;
    }

    // The file's strings, which must be as many as its table states and take
    // all of its bytes: a table like that is one no reader agrees on.
    qm::Status readSharedStrings()
    {
        biff::SstReader reader;
        for (size_t i = 0; i < m_globals.size(); ++i) {
            if (m_globals[i].type != SstType)
                continue;
            reader.addSegment(m_globals[i].body);
            while (i + 1 < m_globals.size() && m_globals[i + 1].type == ContinueType)
                reader.addSegment(m_globals[++i].body);
            break;
        }
        if (reader.empty())
            return {};
        if (!reader.read(m_oldStrings, &m_oldExtras) || m_oldStrings.size() != m_sstUnique || !reader.atEnd())
            return refuse(QStringLiteral("its shared string table is damaged (it names %1 strings and holds %2)")
                              .arg(QString::number(m_sstUnique), QString::number(m_oldStrings.size())));
        return {};
    }

    std::vector<const Worksheet *> newSheets() const
    {
        std::vector<const Worksheet *> sheets;
        for (int i = 1; i <= m_book.Worksheets().Count(); ++i)
            if (m_book.Worksheets().at(i)->sourceIndex < 0)
                sheets.push_back(m_book.Worksheets().at(i));
        return sheets;
    }

    const Workbook &m_book;
    const QByteArray &m_stream;
    std::vector<Record> m_globals;
    std::vector<SourceSheet> m_sources;
    std::map<size_t, const Worksheet *> m_modelOf;
    std::vector<qsizetype> m_entryAt;
    std::vector<std::pair<qsizetype, const Worksheet *>> m_newEntryAt;
    std::vector<QString> m_oldStrings;
    std::map<std::uint32_t, biff::SstExtras> m_oldExtras;
    std::vector<std::uint32_t> m_newIndex;
    QSet<int> m_formatIds;
    std::uint32_t m_xfCount = 0, m_sstUnique = 0;
    int m_xfBase = 0;
};

} // namespace

qm::Result<QByteArray> updatedWorkbookStream(const Workbook &book, const QByteArray &source)
{
    auto stream = biff::workbookStream(source);
    if (!stream)
        return stream.error();
    if (biff::bofVersion(stream.value()) == biff::Biff5)
        return qm::makeError(QStringLiteral("this Excel 5 (BIFF5) workbook cannot take the sheet; it is left unchanged. "
                                            "Save it as Excel 97-2003 or .xlsx first, or export into a new workbook"));
    XlsUpdate update(book, stream.value());
    return update.run();
}

} // namespace excel::backend
