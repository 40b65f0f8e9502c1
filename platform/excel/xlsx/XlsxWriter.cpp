#include "platform/excel/xlsx/Xlsx.h"
#include "platform/excel/io/OoxmlText.h"
#include "platform/excel/xlsx/XlsxPackage.h"
#include "platform/excel/xlsx/XlsxParts.h"
#include "platform/excel/xlsx/XmlEdit.h"
#include "platform/excel/io/XmlParser.h"
#include "platform/excel/io/ZipArchive.h"

#include <QSet>

#include <vector>

namespace excel::backend {

namespace {

// The sheet's part: as streamed when it was, else written from its cells.
qm::Status putSheet(ZipWriter &zip, const QString &part, const Worksheet &sheet, QByteArray xml)
{
    if (const auto &streamed = sheet.streamedPart)
        return streamed->spilled ? zip.putSpilled(part, streamed->spilled, streamed->size, streamed->crc)
                                 : zip.putDeflated(part, streamed->deflated, streamed->size, streamed->crc);
    return zip.put(part, std::move(xml));
}

// Into file when given (then the result holds no bytes), else into memory.
qm::Result<QByteArray> writeNewPackage(const Workbook &book, qm::AtomicFile *file)
{
    std::vector<QString> strings;
    std::vector<QByteArray> sheets;
    QStringList sheetParts;
    for (int i = 1; i <= book.Worksheets().Count(); ++i) {
        const Worksheet &sheet = *book.Worksheets().at(i);
        sheets.push_back(sheet.streamedPart ? QByteArray() : sheetXml(sheet, &strings, i == 1));
        sheetParts << QStringLiteral("xl/worksheets/sheet%1.xml").arg(i);
    }
    auto zip = file ? ZipWriter::create(*file) : ZipWriter::create();
    if (!zip)
        return zip.error();
    qm::Status put = zip->put(QStringLiteral("[Content_Types].xml"), contentTypesXml(sheetParts));
    if (put)
        put = zip->put(QStringLiteral("_rels/.rels"), rootRelsXml());
    if (put)
        put = zip->put(QStringLiteral("xl/workbook.xml"), workbookXml(book));
    if (put)
        put = zip->put(QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRelsXml(book.Worksheets().Count()));
    if (put)
        put = zip->put(QStringLiteral("xl/styles.xml"), stylesXml(book.formats()));
    for (size_t i = 0; put && i < sheets.size(); ++i)
        put = putSheet(zip.value(), sheetParts[qsizetype(i)], *book.Worksheets().at(int(i) + 1), std::move(sheets[i]));
    if (put)
        put = zip->put(QStringLiteral("xl/sharedStrings.xml"), sharedStringsXml(strings));
    if (!put)
        return put.error();
    return zip->finish();
}

// A name not yet used in the archive: base1.xml, base2.xml, ...
QString freePartName(const QSet<QString> &used, const QString &base)
{
    for (int n = 1;; ++n) {
        const QString name = base + QString::number(n) + QLatin1String(".xml");
        if (!used.contains(name.toLower()))
            return name;
    }
}

// The updated package: changed and new sheets written, everything else copied.
class PackageUpdate {
public:
    PackageUpdate(Workbook &book, ZipReader &zip, ZipWriter &out, const PackageInfo &info)
        : m_book(book), m_zip(zip), m_out(out), m_info(info) {}

    qm::Status run()
    {
        for (const QString &name : m_zip.names())
            m_used.insert(name.toLower());
        auto workbook = m_zip.readAll(m_info.workbookPart);
        if (!workbook)
            return workbook.error();
        auto rels = m_zip.readAll(m_info.workbookRelsPart);
        if (!rels)
            return rels.error();
        auto types = m_zip.readAll(QStringLiteral("[Content_Types].xml"));
        if (!types)
            return types.error();
        m_workbook = workbook.value();
        m_rels = rels.value();
        m_types = types.value();

        bool rewroteOld = false;
        for (int i = 1; i <= m_book.Worksheets().Count(); ++i) {
            Worksheet &sheet = *m_book.Worksheets().at(i);
            if (sheet.sourcePart.isEmpty()) {
                if (auto added = addSheet(sheet); !added)
                    return added;
            } else if (sheet.modified()) {
                rewroteOld = true;
                if (auto put = putSheet(m_out, sheet.sourcePart, sheet, sheet.streamedPart ? QByteArray() : sheetXml(sheet, nullptr, false)); !put)
                    return put;
            }
        }
        if (auto named = renameSheets(); !named)
            return named;
        if (rewroteOld)
            if (auto dropped = dropCalcChain(); !dropped)
                return dropped;
        if (auto styled = addFormats(); !styled)
            return styled;
        if (auto put = m_out.put(m_info.workbookPart, m_workbook); !put)
            return put;
        if (auto put = m_out.put(m_info.workbookRelsPart, m_rels); !put)
            return put;
        return m_out.put(QStringLiteral("[Content_Types].xml"), m_types);
    }

private:
    qm::Status addSheet(Worksheet &sheet)
    {
        const QString part = freePartName(m_used, QStringLiteral("xl/worksheets/sheet"));
        m_used.insert(part.toLower());
        if (auto put = putSheet(m_out, part, sheet, sheet.streamedPart ? QByteArray() : sheetXml(sheet, nullptr, false)); !put)
            return put;
        const QByteArray relId = freeRelId();
        if (auto linked = appendInside(m_rels, m_info.workbookRelsPart, "Relationships",
                                       "Relationship Id=\"" + relId + "\" Type=\"" + RelTypeBase + "worksheet\" Target=\"/" + part.toUtf8() + "\"/>");
            !linked)
            return linked;
        QByteArray entry = "sheet xmlns:r=\"" + QByteArray(RelNamespace) + "\" name=\"";
        appendEscapedAttribute(entry, sheet.Name());
        entry += "\" sheetId=\"" + QByteArray::number(++m_maxSheetId) + "\" r:id=\"" + relId + "\"/>";
        if (auto listed = appendInside(m_workbook, m_info.workbookPart, "sheets", entry); !listed)
            return listed;
        return appendInside(m_types, QStringLiteral("[Content_Types].xml"), "Types",
                            "Override PartName=\"/" + part.toUtf8() + "\" ContentType=\"" + WorksheetContentType + "\"/>");
    }

    // Adds `<prefix + markup` as the last child of the first element named `parent`.
    qm::Status appendInside(QByteArray &doc, const QString &part, const char *parent, const QByteArray &markup)
    {
        auto found = findElements(doc, part, [&](const char *local) { return !qstrcmp(local, parent); });
        if (!found)
            return found.error();
        if (found->isEmpty())
            return qm::makeError(QStringLiteral("%1: has no %2 element").arg(part, QLatin1String(parent)));
        XmlEditor editor(doc);
        editor.appendInside(found->first(), '<' + found->first().prefix() + markup);
        doc = editor.result();
        return {};
    }

    QByteArray freeRelId()
    {
        if (m_relIds.isEmpty())
            for (const Relationship &r : m_info.workbookRels)
                m_relIds.insert(r.id);
        for (int n = 1;; ++n) {
            const QString id = QStringLiteral("rId%1").arg(n);
            if (!m_relIds.contains(id)) {
                m_relIds.insert(id);
                return id.toUtf8();
            }
        }
    }

    qm::Status renameSheets()
    {
        for (const SheetEntry &e : m_info.sheets)
            m_maxSheetId = std::max(m_maxSheetId, e.sheetId);
        auto found = findElements(m_workbook, m_info.workbookPart, [](const char *local) { return !qstrcmp(local, "sheet"); });
        if (!found)
            return found.error();
        XmlEditor editor(m_workbook);
        bool changed = false;
        for (int i = 1; i <= m_book.Worksheets().Count(); ++i) {
            const Worksheet &sheet = *m_book.Worksheets().at(i);
            if (sheet.sourcePart.isEmpty() || sheet.Name() == sheet.sourceName)
                continue;
            for (const XmlElement &e : found.value()) {
                if (QString::fromUtf8(e.attribute("id")) != sheet.sourceRelId)
                    continue;
                auto attributes = e.attributes;
                for (auto &[name, value] : attributes)
                    if (name == "name")
                        value = sheet.Name().toUtf8();
                editor.setAttributes(e, attributes);
                changed = true;
            }
        }
        if (changed)
            m_workbook = editor.result();
        return {};
    }

    // The calculation chain names formula cells; a rewritten sheet may have
    // lost them, and Excel rebuilds the chain when it is missing.
    qm::Status dropCalcChain()
    {
        const Relationship *chain = m_info.relOfType("calcChain");
        if (!chain)
            return {};
        if (auto removed = m_out.remove(m_zip.locate(chain->part)); !removed)
            return removed;
        auto rels = findElements(m_rels, m_info.workbookRelsPart, [](const char *l) { return !qstrcmp(l, "Relationship"); });
        if (!rels)
            return rels.error();
        XmlEditor relEditor(m_rels);
        for (const XmlElement &e : rels.value())
            if (QString::fromUtf8(e.attribute("Id")) == chain->id)
                relEditor.remove(e);
        m_rels = relEditor.result();
        auto types = findElements(m_types, QStringLiteral("[Content_Types].xml"), [](const char *l) { return !qstrcmp(l, "Override"); });
        if (!types)
            return types.error();
        XmlEditor typeEditor(m_types);
        for (const XmlElement &e : types.value())
            if (QString::fromUtf8(e.attribute("PartName")).compare(u'/' + chain->part, Qt::CaseInsensitive) == 0)
                typeEditor.remove(e);
        m_types = typeEditor.result();
        return {};
    }

    // Our formats go after the file's own, so every index the file uses stays valid.
    qm::Status addFormats()
    {
        const CellFormatTable &formats = m_book.formats();
        if (formats.size() <= formats.fileCount)
            return {};
        const Relationship *styles = m_info.relOfType("styles");
        const QString part = styles ? m_zip.locate(styles->part) : QString();
        if (part.isEmpty()) {
            // No styles part: the file used only the default format.
            const QString name = freePartName(m_used, QStringLiteral("xl/styles"));
            if (auto put = m_out.put(name, stylesXml(formats)); !put)
                return put;
            if (auto linked = appendInside(m_rels, m_info.workbookRelsPart, "Relationships",
                                           "Relationship Id=\"" + freeRelId() + "\" Type=\"" + RelTypeBase + "styles\" Target=\"/" + name.toUtf8() + "\"/>");
                !linked)
                return linked;
            return appendInside(m_types, QStringLiteral("[Content_Types].xml"), "Types",
                                "Override PartName=\"/" + name.toUtf8() + "\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>");
        }
        auto doc = m_zip.readAll(part);
        if (!doc)
            return doc.error();
        auto found = findElements(doc.value(), part, [](const char *l) { return !qstrcmp(l, "cellXfs") || !qstrcmp(l, "cellStyleXfs"); });
        if (!found)
            return found.error();
        const XmlElement *cellXfs = nullptr;
        bool hasStyleXfs = false;
        for (const XmlElement &e : found.value()) {
            if (localName(e.qname.constData()) == QByteArrayView("cellXfs"))
                cellXfs = &e;
            else
                hasStyleXfs = true;
        }
        if (!cellXfs || !hasStyleXfs)
            return qm::makeError(QStringLiteral("%1: has no cell format list; the workbook cannot be updated").arg(part));
        QByteArray markup;
        for (std::uint32_t i = formats.fileCount; i < formats.size(); ++i) {
            QByteArray xf = xfXml(formats.at(i));
            const QByteArray prefix = cellXfs->prefix();
            if (!prefix.isEmpty()) {
                xf.replace("<xf ", "<" + prefix + "xf ").replace("<alignment ", "<" + prefix + "alignment ").replace("</xf>", "</" + prefix + "xf>");
            }
            markup += xf;
        }
        XmlEditor editor(doc.value());
        auto attributes = cellXfs->attributes;
        for (auto &[name, value] : attributes)
            if (name == "count")
                value = QByteArray::number(formats.size());
        if (cellXfs->endTag < 0) {
            XmlElement emptied = *cellXfs;
            emptied.attributes = attributes;
            editor.appendInside(emptied, markup);
        } else {
            editor.setAttributes(*cellXfs, attributes);
            editor.appendInside(*cellXfs, markup);
        }
        return m_out.put(part, editor.result());
    }

    Workbook &m_book;
    ZipReader &m_zip;
    ZipWriter &m_out;
    const PackageInfo &m_info;
    QSet<QString> m_used, m_relIds;
    QByteArray m_workbook, m_rels, m_types;
    int m_maxSheetId = 0;
};

} // namespace

qm::Result<QByteArray> writeXlsx(Workbook &book)
{
    if (!book.fromFile() || book.sourceFormat != FileFormat::Xlsx)
        return writeNewPackage(book, nullptr);
    auto zip = ZipReader::open(book.sourceBytes);
    if (!zip)
        return zip.error();
    auto info = readPackageInfo(zip.value());
    if (!info)
        return info.error();
    auto out = ZipWriter::update(book.sourceBytes);
    if (!out)
        return out.error();
    PackageUpdate update(book, zip.value(), out.value(), info.value());
    if (auto done = update.run(); !done)
        return done.error();
    return out->finish();
}

qm::Status writeNewXlsx(const Workbook &book, qm::AtomicFile &file)
{
    auto written = writeNewPackage(book, &file);
    if (!written)
        return written.error();
    return {};
}

qm::Status relinkXlsx(Workbook &book)
{
    return relinkXlsxSheets(book);
}

} // namespace excel::backend
