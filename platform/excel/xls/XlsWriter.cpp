#include "platform/excel/xls/Xls.h"
#include "platform/excel/biff/BiffRecords.h"
#include "platform/excel/biff/BiffSstWriter.h"
#include "platform/excel/biff/XlsParts.h"
#include "platform/excel/io/ByteSink.h"
#include "platform/excel/io/DeflateStream.h"
#include "platform/excel/xls/GsfLog.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <unistd.h>
#include <vector>

namespace excel::backend {

namespace {

using biff::SstWriter;

// The globals substream up to its shared string table, and where each
// BOUNDSHEET record starts in it.
QByteArray globalsHead(const Workbook &book, std::vector<qsizetype> &boundSheetAt)
{
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
    for (int i = 0; i < OwnStyleXfs; ++i)
        globals += biff::styleXf(i > 0);
    for (std::uint32_t i = 0; i < book.formats().size(); ++i)
        globals += biff::cellXf(book.formats().at(i));
    globals += biff::normalStyle();
    for (int i = 1; i <= book.Worksheets().Count(); ++i) {
        boundSheetAt.push_back(globals.size());
        globals += biff::boundSheet(book.Worksheets().at(i)->Name());
    }
    return globals;
}

// Each BOUNDSHEET names the stream position of its sheet's BOF; the sheets
// follow the globals (`globalsSize` bytes) in order.
void placeSheets(QByteArray &globals, const std::vector<qsizetype> &boundSheetAt, qint64 globalsSize,
                 const std::vector<qint64> &sheetSizes)
{
    qint64 position = globalsSize;
    for (size_t i = 0; i < sheetSizes.size(); ++i) {
        const std::uint32_t p = std::uint32_t(position);
        char *field = globals.data() + boundSheetAt[i] + 4;
        field[0] = char(p & 0xFF);
        field[1] = char((p >> 8) & 0xFF);
        field[2] = char((p >> 16) & 0xFF);
        field[3] = char((p >> 24) & 0xFF);
        position += sheetSizes[i];
    }
}

// Excel wants the workbook stream outside the short-stream area.
constexpr qint64 MinWorkbookStream = 4096;

qm::Result<QByteArray> workbookStream(const Workbook &book)
{
    qsizetype cells = 0;
    for (int i = 1; i <= book.Worksheets().Count(); ++i)
        cells += qsizetype(book.Worksheets().at(i)->data().cellCount());
    SstWriter sst(cells);
    std::vector<QByteArray> sheets;
    std::vector<qint64> sizes;
    for (int i = 1; i <= book.Worksheets().Count(); ++i) {
        sheets.push_back(sheetStream(*book.Worksheets().at(i), sst, i == 1, OwnStyleXfs));
        sizes.push_back(sheets.back().size());
    }
    std::vector<qsizetype> boundSheetAt;
    QByteArray globals = globalsHead(book, boundSheetAt);
    globals += sst.records(globals.size());
    if (const QString problem = sst.problem(); !problem.isEmpty())
        return qm::makeError(problem);
    globals += biff::eof();
    placeSheets(globals, boundSheetAt, globals.size(), sizes);
    QByteArray stream = globals;
    for (const QByteArray &s : sheets)
        stream += s;
    if (stream.size() < MinWorkbookStream)
        stream += QByteArray(MinWorkbookStream - stream.size(), '\0');
    return stream;
}

// Copies the children of `from` into `to`, storages with their class ids;
// `skip` names the top-level stream that is written anew.
bool copyChildren(GsfInfile *from, GsfOutfile *to, const char *skip)
{
    const int n = gsf_infile_num_children(from);
    for (int i = 0; i < n; ++i) {
        const char *name = gsf_infile_name_by_index(from, i);
        if (!name || (skip && std::strcmp(name, skip) == 0))
            continue;
        GsfInput *child = gsf_infile_child_by_index(from, i);
        if (!child)
            return false;
        const bool storage = GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0;
        GsfOutput *out = gsf_outfile_new_child(to, name, storage);
        bool ok = out != nullptr;
        if (ok && storage) {
            guint8 clsid[16];
            if (GSF_IS_INFILE_MSOLE(child) && gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(child), clsid))
                gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(out), clsid);
            ok = copyChildren(GSF_INFILE(child), GSF_OUTFILE(out), nullptr);
        } else if (ok) {
            ok = gsf_input_copy(child, out);
        }
        if (out) {
            ok = gsf_output_close(out) && ok;
            g_object_unref(out);
        }
        g_object_unref(child);
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

qm::Result<QByteArray> oleContainer(const QByteArray &stream, const QByteArray &source)
{
    GsfLogCapture log;
    GsfInfile *original = nullptr;
    if (!source.isEmpty()) {
        GsfInput *input = gsf_input_memory_new(reinterpret_cast<const guint8 *>(source.constData()), gsf_off_t(source.size()), FALSE);
        original = gsf_infile_msole_new(input, nullptr);
        g_object_unref(input);
        if (!original)
            return qm::makeError(QStringLiteral("the .xls container cannot be read again%1").arg(log.detail()));
    }
    GsfOutput *memory = gsf_output_memory_new();
    GsfOutfile *ole = gsf_outfile_msole_new(memory);
    if (!ole) {
        g_object_unref(memory);
        if (original)
            g_object_unref(original);
        return qm::makeError(QStringLiteral("the .xls container cannot be created"));
    }
    bool ok = true;
    if (original) {
        guint8 clsid[16];
        if (gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(original), clsid))
            gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(ole), clsid);
    }
    GsfOutput *child = gsf_outfile_new_child(ole, "Workbook", FALSE);
    ok = child && gsf_output_write(child, size_t(stream.size()), reinterpret_cast<const guint8 *>(stream.constData()));
    if (child) {
        ok = gsf_output_close(child) && ok;
        g_object_unref(child);
    }
    if (ok && original)
        ok = copyChildren(original, ole, "Workbook");
    if (original)
        g_object_unref(original);
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
        return qm::makeError(QStringLiteral("the .xls container cannot be written%1").arg(log.detail()));
    return bytes;
}

namespace {

// The streamed sheets' string table, when the workbook has any.
std::shared_ptr<SstWriter> streamedStrings(const Workbook &book)
{
    for (int i = 1; i <= book.Worksheets().Count(); ++i)
        if (const auto &part = book.Worksheets().at(i)->streamedPart; part && part->biff)
            return part->strings;
    return nullptr;
}

// The workbook stream into the container's child, piece by piece.
class ChildWriter {
public:
    explicit ChildWriter(GsfOutput *child) : m_child(child) {}
    bool write(const char *data, std::size_t size)
    {
        m_ok = m_ok && (size == 0 || gsf_output_write(m_child, size, reinterpret_cast<const guint8 *>(data)));
        m_written += qint64(size);
        return m_ok;
    }
    bool write(const QByteArray &bytes) { return write(bytes.constData(), std::size_t(bytes.size())); }
    bool copy(const StreamedPart &part)
    {
        if (!part.spilled)
            return write(part.deflated);
        QByteArray buffer(qsizetype(1) << 20, Qt::Uninitialized);
        for (qint64 at = 0; m_ok && at < part.spilled->size();) {
            const qint64 got = part.spilled->read(at, buffer.data(), buffer.size());
            if (got <= 0)
                return m_ok = false;
            write(buffer.constData(), std::size_t(got));
            at += got;
        }
        return m_ok;
    }
    qint64 written() const { return m_written; }

private:
    GsfOutput *m_child;
    qint64 m_written = 0;
    bool m_ok = true;
};

} // namespace

qm::Status writeNewXls(const Workbook &book, qm::AtomicFile &file)
{
    // The streamed sheets' table is the file's; other sheets' texts join a
    // copy of it, so that saving again finds it as it was.
    const std::shared_ptr<SstWriter> streamed = streamedStrings(book);
    qsizetype cells = 0;
    for (int i = 1; i <= book.Worksheets().Count(); ++i)
        cells += qsizetype(book.Worksheets().at(i)->data().cellCount());
    std::optional<SstWriter> own;
    if (!streamed)
        own.emplace(cells);
    else if (cells > 0)
        own.emplace(*streamed);
    SstWriter &strings = own ? *own : *streamed; // unchanged when only streamed sheets have cells
    std::vector<QByteArray> sheets;
    std::vector<qint64> sizes;
    for (int i = 1; i <= book.Worksheets().Count(); ++i) {
        const Worksheet &sheet = *book.Worksheets().at(i);
        sheets.push_back(sheet.streamedPart ? QByteArray() : sheetStream(sheet, strings, i == 1, OwnStyleXfs));
        sizes.push_back(sheet.streamedPart ? qint64(sheet.streamedPart->size) : sheets.back().size());
    }
    if (const QString problem = strings.problem(); !problem.isEmpty())
        return qm::makeError(problem);
    std::vector<qsizetype> boundSheetAt;
    QByteArray globals = globalsHead(book, boundSheetAt);
    const QByteArray eof = biff::eof();
    const qint64 globalsSize = globals.size() + strings.recordsSize() + eof.size();
    placeSheets(globals, boundSheetAt, globalsSize, sizes);

    GsfLogCapture log;
    const int fd = ::dup(file.handle());
    FILE *stdioFile = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (!stdioFile) {
        if (fd >= 0)
            ::close(fd);
        return qm::makeError(QStringLiteral("the .xls container cannot be created (%1)").arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    GsfOutput *sink = gsf_output_stdio_new_FILE("workbook", stdioFile, FALSE);
    GsfOutfile *ole = sink ? gsf_outfile_msole_new(sink) : nullptr;
    if (!ole) {
        if (sink)
            g_object_unref(sink);
        else
            std::fclose(stdioFile);
        return qm::makeError(QStringLiteral("the .xls container cannot be created"));
    }
    GsfOutput *child = gsf_outfile_new_child(ole, "Workbook", FALSE);
    bool ok = child != nullptr;
    if (ok) {
        ChildWriter out(child);
        ok = out.write(globals)
             && strings.writeRecords(globals.size(), [&out](const char *data, std::size_t size) { return out.write(data, size); })
             && out.write(eof);
        for (int i = 1; ok && i <= book.Worksheets().Count(); ++i) {
            const Worksheet &sheet = *book.Worksheets().at(i);
            ok = sheet.streamedPart ? out.copy(*sheet.streamedPart) : out.write(sheets[size_t(i - 1)]);
            sheets[size_t(i - 1)] = QByteArray();
        }
        if (ok && out.written() < MinWorkbookStream)
            ok = out.write(QByteArray(MinWorkbookStream - out.written(), '\0'));
        ok = gsf_output_close(child) && ok;
        g_object_unref(child);
    }
    ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
    g_object_unref(ole);
    if (!gsf_output_is_closed(sink))
        ok = gsf_output_close(sink) && ok;
    // The file's own reason (a full disk) comes first.
    const GError *failure = gsf_output_error(sink);
    const QString reason = failure && failure->message ? QStringLiteral(" (%1)").arg(QString::fromUtf8(failure->message)) : QString();
    g_object_unref(sink);
    if (const QString problem = strings.problem(); !ok && !problem.isEmpty())
        return qm::makeError(problem);
    if (!ok)
        return qm::makeError(QStringLiteral("the .xls container cannot be written%1%2").arg(reason, log.detail()));
    return {};
}

qm::Result<QByteArray> writeXls(const Workbook &book)
{
    if (!book.fromFile() || book.sourceFormat != FileFormat::Xls) {
        auto stream = workbookStream(book);
        if (!stream)
            return stream.error();
        return oleContainer(stream.value(), QByteArray());
    }
    bool changed = false;
    for (int i = 1; i <= book.Worksheets().Count(); ++i) {
        const Worksheet &s = *book.Worksheets().at(i);
        changed = changed || s.modified() || s.sourceIndex < 0 || s.Name() != s.sourceName;
    }
    if (!changed)
        return book.sourceBytes;
    auto stream = updatedWorkbookStream(book, book.sourceBytes);
    if (!stream)
        return stream.error();
    return oleContainer(stream.value(), book.sourceBytes);
}

void relinkXls(Workbook &book)
{
    for (int i = 1; i <= book.Worksheets().Count(); ++i) {
        Worksheet &sheet = *book.Worksheets().at(i);
        sheet.sourceIndex = i - 1;
        sheet.sourceName = sheet.Name();
    }
    book.formats().fileCount = book.formats().size();
    relinkXlsSheets(book);
}

} // namespace excel::backend
