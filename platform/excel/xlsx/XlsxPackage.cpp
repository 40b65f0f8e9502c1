#include "platform/excel/xlsx/XlsxPackage.h"

#include "platform/excel/io/ReadBudget.h"
#include "platform/excel/io/XmlParser.h"

#include <QStringList>

namespace excel::backend {

const Relationship *PackageInfo::rel(const QString &id) const
{
    const auto at = relById.constFind(id);
    return at == relById.cend() ? nullptr : &workbookRels[*at];
}

const Relationship *PackageInfo::relOfType(const char *type) const
{
    for (const Relationship &r : workbookRels)
        if (relTypeIs(r.type, type) && !r.part.isEmpty())
            return &r;
    return nullptr;
}

bool relTypeIs(const QString &type, const char *kind)
{
    return type.endsWith(u'/' + QLatin1String(kind));
}

QString relsPartOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QLatin1String("_rels/") + part.mid(slash + 1) + QLatin1String(".rels");
}

QString resolveTarget(const QString &sourcePart, const QString &target)
{
    QStringList segments;
    if (!target.startsWith(u'/')) {
        segments = sourcePart.split(u'/');
        segments.removeLast();
    }
    for (const QString &s : target.split(u'/', Qt::SkipEmptyParts)) {
        if (s == QLatin1String("."))
            continue;
        if (s == QLatin1String("..")) {
            if (segments.isEmpty())
                return QString();
            segments.removeLast();
        } else {
            segments << s;
        }
    }
    return segments.join(u'/');
}

namespace {

class RelsHandler : public XmlParser::Handler {
public:
    RelsHandler(const QString &source, qint64 limit) : m_source(source), m_limit(limit) {}
    void startElement(const char *name, const char **attributes) override
    {
        if (!isElement(name, "Relationship"))
            return;
        if (rels.size() >= m_limit) {
            fault = pastLimit(QStringLiteral("relationships in one part"), m_limit);
            return;
        }
        Relationship r;
        r.id = QString::fromUtf8(attribute(attributes, "Id"));
        r.type = QString::fromUtf8(attribute(attributes, "Type"));
        const char *mode = attribute(attributes, "TargetMode");
        if (!mode || std::strcmp(mode, "External") != 0)
            r.part = resolveTarget(m_source, QString::fromUtf8(attribute(attributes, "Target")));
        rels << r;
    }
    void endElement(const char *) override {}
    QList<Relationship> rels;

private:
    QString m_source;
    qint64 m_limit;
};

class WorkbookHandler : public XmlParser::Handler {
public:
    explicit WorkbookHandler(qint64 limit) : m_limit(limit) {}
    void startElement(const char *name, const char **attributes) override
    {
        if (isElement(name, "sheet")) {
            if (sheets.size() >= m_limit) {
                fault = pastLimit(QStringLiteral("sheets"), m_limit);
                return;
            }
            SheetEntry e;
            e.name = QString::fromUtf8(attribute(attributes, "name"));
            e.relId = QString::fromUtf8(attribute(attributes, "id"));
            e.sheetId = QByteArray(attribute(attributes, "sheetId")).toInt();
            sheets << e;
        } else if (isElement(name, "workbookPr")) {
            const QByteArray v = attribute(attributes, "date1904");
            date1904 = v == "1" || v == "true";
        }
    }
    void endElement(const char *) override {}
    QList<SheetEntry> sheets;
    bool date1904 = false;

private:
    qint64 m_limit;
};

} // namespace

qm::Result<QList<Relationship>> readRelationships(ZipReader &zip, const QString &sourcePart)
{
    const QString relsPart = relsPartOf(sourcePart);
    if (zip.locate(relsPart).isEmpty())
        return QList<Relationship>();
    auto bytes = zip.readAll(relsPart);
    if (!bytes)
        return bytes.error();
    RelsHandler handler(sourcePart, ReadLimits::forFile(zip.archiveSize()).relationships);
    XmlParser parser(handler, relsPart);
    if (auto parsed = parser.parse(bytes.value()); !parsed)
        return parsed.error();
    return handler.rels;
}

qm::Result<PackageInfo> readPackageInfo(ZipReader &zip)
{
    PackageInfo info;
    auto root = readRelationships(zip, QString());
    if (!root)
        return root.error();
    for (const Relationship &r : root.value())
        if (relTypeIs(r.type, "officeDocument") && !r.part.isEmpty())
            info.workbookPart = r.part;
    if (info.workbookPart.isEmpty() || zip.locate(info.workbookPart).isEmpty())
        return qm::makeError(QStringLiteral("is not an Excel workbook: the package names no workbook part"));
    info.workbookPart = zip.locate(info.workbookPart);
    info.workbookRelsPart = relsPartOf(info.workbookPart);
    auto rels = readRelationships(zip, info.workbookPart);
    if (!rels)
        return rels.error();
    info.workbookRels = rels.value();
    for (qsizetype i = info.workbookRels.size() - 1; i >= 0; --i)
        info.relById.insert(info.workbookRels[i].id, i);
    auto bytes = zip.readAll(info.workbookPart);
    if (!bytes)
        return bytes.error();
    WorkbookHandler handler(ReadLimits::forFile(zip.archiveSize()).sheets);
    XmlParser parser(handler, info.workbookPart);
    if (auto parsed = parser.parse(bytes.value()); !parsed)
        return parsed.error();
    info.sheets = handler.sheets;
    info.date1904 = handler.date1904;
    return info;
}

} // namespace excel::backend
