#include "memory/Tmx.h"

#include "platform/common/AtomicFile.h"
#include "platform/common/InputFile.h"
#include "platform/win32core/Nls.h"

#include <QDateTime>
#include <QFile>
#include <QXmlStreamReader>

namespace memory {

namespace {

const char kTimeFormat[] = "yyyyMMdd'T'HHmmss'Z'";

bool xmlCanHold(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
        if (c == 0xFFFE || c == 0xFFFF)
            return false;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode()))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return false;
        }
    }
    return true;
}

// Escaped for element content or an attribute value; a carriage return is
// written as a reference, which a reader keeps (a literal one becomes \n).
void appendEscaped(QString &out, QStringView text, bool attribute)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'\r': out += QLatin1String("&#13;"); break;
        case u'"': out += attribute ? QLatin1String("&quot;") : QLatin1String("\""); break;
        case u'\n': out += attribute ? QLatin1String("&#10;") : QLatin1String("\n"); break;
        case u'\t': out += attribute ? QLatin1String("&#9;") : QLatin1String("\t"); break;
        default: out += c;
        }
    }
}

QString timeText(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(QLatin1String(kTimeFormat));
}

qint64 timeValue(QStringView text)
{
    const QDateTime time = QDateTime::fromString(text.toString(), QLatin1String(kTimeFormat));
    if (!time.isValid())
        return 0;
    QDateTime utc = time;
    utc.setTimeSpec(Qt::UTC);
    return utc.toSecsSinceEpoch();
}

struct Variant {
    QString lang;
    QString text;
};

// The text of a <seg>, with the text of its inline elements.
QString segmentText(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: ++depth; break;
        case QXmlStreamReader::EndElement: --depth; break;
        case QXmlStreamReader::Characters: text += xml.text(); break;
        default: break;
        }
    }
    return text;
}

} // namespace

QString tagForLocale(qint32 localeId) { return win32::LCIDToLocaleName(win32::LCID(localeId)); }

qint32 localeForTag(const QString &tag)
{
    QString name = tag.trimmed();
    name.replace(u'_', u'-');
    if (name.isEmpty())
        return 0;
    return qint32(win32::LocaleNameToLCID(name));
}

qm::Result<TmxRead> readTmx(const QByteArray &bytes, const QString &path)
{
    QXmlStreamReader xml(bytes);
    TmxRead read;
    QString headerSource;
    bool rootSeen = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (!rootSeen) {
            rootSeen = true;
            if (name != u"tmx")
                return qm::makeError(QStringLiteral("%1: is not a TMX document (its root element is <%2>)")
                                         .arg(path, name.toString()));
            continue;
        }
        if (name == u"header") {
            headerSource = xml.attributes().value(QLatin1String("srclang")).toString();
            continue;
        }
        if (name != u"tu")
            continue;
        QString source = xml.attributes().value(QLatin1String("srclang")).toString();
        if (source.isEmpty())
            source = headerSource;
        qint64 changed = timeValue(xml.attributes().value(QLatin1String("changedate")));
        if (changed == 0)
            changed = timeValue(xml.attributes().value(QLatin1String("creationdate")));
        QString file;
        qint32 stringId = -1;
        std::vector<Variant> variants;
        QString lang;
        // Until the unit's end: its properties and variants.
        int depth = 1;
        while (depth > 0 && !xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement) {
                --depth;
                continue;
            }
            if (token != QXmlStreamReader::StartElement)
                continue;
            ++depth;
            const QStringView element = xml.name();
            if (element == u"tuv") {
                lang = xml.attributes().value(QLatin1String("xml:lang")).toString();
                if (lang.isEmpty())
                    lang = xml.attributes().value(QLatin1String("lang")).toString(); // TMX 1.1
            } else if (element == u"seg") {
                variants.push_back({lang, segmentText(xml)});
                --depth;
            } else if (element == u"prop") {
                const QString type = xml.attributes().value(QLatin1String("type")).toString();
                const QString value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                --depth;
                if (type == u"x-quillmark-file")
                    file = value;
                else if (type == u"x-quillmark-id") {
                    bool ok = false;
                    const int id = value.toInt(&ok);
                    if (ok && id >= 0 && id <= 65535)
                        stringId = id;
                }
            }
        }
        qsizetype first = 0;
        for (qsizetype i = 0; i < qsizetype(variants.size()); ++i)
            if (variants[std::size_t(i)].lang.compare(source, Qt::CaseInsensitive) == 0) {
                first = i;
                break;
            }
        const qint32 sourceLocale = variants.empty() ? 0 : localeForTag(variants[std::size_t(first)].lang);
        qint64 taken = 0;
        for (qsizetype i = 0; i < qsizetype(variants.size()); ++i) {
            const Variant &v = variants[std::size_t(i)];
            const qint32 targetLocale = localeForTag(v.lang);
            if (i == first || sourceLocale == 0 || targetLocale == 0 || v.text.isEmpty() ||
                variants[std::size_t(first)].text.isEmpty())
                continue;
            read.entries.push_back({sourceLocale, variants[std::size_t(first)].text, targetLocale, v.text, file, stringId,
                                    changed});
            ++taken;
        }
        if (taken == 0)
            ++read.unitsSkipped;
    }
    if (xml.hasError())
        return qm::makeError(QStringLiteral("%1: line %2: %3").arg(path, QString::number(xml.lineNumber()), xml.errorString()));
    if (!rootSeen)
        return qm::makeError(QStringLiteral("%1: is not a TMX document (it holds no element)").arg(path));
    return read;
}

qm::Result<TmxRead> readTmxFile(const QString &path)
{
    QFile file(path);
    auto size = qm::openInputFile(file, path, MaxTmxFileSize, QStringLiteral("TMX files"));
    if (!size)
        return qm::makeError(QStringLiteral("%1: cannot be read: %2").arg(path, size.errorString()));
    auto bytes = qm::readInputFile(file, size.value(), MaxTmxFileSize);
    if (!bytes)
        return qm::makeError(QStringLiteral("%1: cannot be read: %2").arg(path, bytes.errorString()));
    return readTmx(bytes.value(), path);
}

qm::Result<TmxWritten> writeTmx(TranslationMemory &memory, const QString &path)
{
    qm::AtomicFile out(path);
    if (auto status = out.open(); !status.ok())
        return status.error();
    QString chunk = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                   "<tmx version=\"1.4\">\n"
                                   "  <header creationtool=\"Quillmark\" creationtoolversion=\"%1.%2.%3\" datatype=\"plaintext\""
                                   " segtype=\"sentence\" adminlang=\"en-GB\" srclang=\"*all*\" o-tmf=\"Quillmark\"/>\n"
                                   "  <body>\n")
                        .arg(QString::number(QM_VERSION_MAJOR), QString::number(QM_VERSION_MINOR),
                             QString::number(QM_VERSION_PATCH));
    TmxWritten written;
    qm::Status writeStatus;
    QHash<qint32, QString> tags;
    const auto tag = [&](qint32 locale) -> const QString & {
        auto at = tags.find(locale);
        if (at == tags.end())
            at = tags.insert(locale, tagForLocale(locale));
        return *at;
    };
    auto visited = memory.forEach([&](const Entry &entry) {
        const QString &sourceTag = tag(entry.sourceLocale), &targetTag = tag(entry.targetLocale);
        if (sourceTag.isEmpty() || targetTag.isEmpty() || !xmlCanHold(entry.sourceText) || !xmlCanHold(entry.targetText) ||
            !xmlCanHold(entry.file)) {
            ++written.skipped;
            return true;
        }
        chunk += QLatin1String("    <tu srclang=\"") + sourceTag + QLatin1String("\" changedate=\"") + timeText(entry.changed) +
                 QLatin1String("\">\n");
        if (!entry.file.isEmpty()) {
            chunk += QLatin1String("      <prop type=\"x-quillmark-file\">");
            appendEscaped(chunk, entry.file, false);
            chunk += QLatin1String("</prop>\n");
        }
        if (entry.stringId >= 0)
            chunk += QLatin1String("      <prop type=\"x-quillmark-id\">") + QString::number(entry.stringId) +
                     QLatin1String("</prop>\n");
        for (const auto &[lang, text] : {std::pair{&sourceTag, &entry.sourceText}, std::pair{&targetTag, &entry.targetText}}) {
            chunk += QLatin1String("      <tuv xml:lang=\"") + *lang + QLatin1String("\"><seg>");
            appendEscaped(chunk, *text, false);
            chunk += QLatin1String("</seg></tuv>\n");
        }
        chunk += QLatin1String("    </tu>\n");
        ++written.units;
        if (chunk.size() > (1 << 20)) {
            writeStatus = out.write(chunk.toUtf8());
            chunk.clear();
            return writeStatus.ok();
        }
        return true;
    });
    if (!writeStatus.ok())
        return writeStatus.error();
    if (!visited.ok())
        return visited.error();
    chunk += QLatin1String("  </body>\n</tmx>\n");
    if (auto status = out.write(chunk.toUtf8()); !status.ok())
        return status.error();
    if (auto status = out.commit(); !status.ok())
        return status.error();
    return written;
}

} // namespace memory
