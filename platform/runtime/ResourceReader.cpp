#include "platform/runtime/ResourceReader.h"

#include <QFile>
#include <QList>

namespace LgvRuntime {
namespace {

struct Parser {
    const QString &name;
    QHash<quint64, QString> texts;
    int defaultLanguage = 0;

    qm::Error fail(int lineNo, const QString &what) const
    {
        return qm::makeError(QStringLiteral("%1, line %2: %3").arg(name, QString::number(lineNo), what));
    }

    static bool parseNumber(const QString &text, int min, int max, int &out)
    {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok || value < min || value > max)
            return false;
        out = value;
        return true;
    }

    // Reads a quoted text starting at `pos`; returns false on a malformed text.
    static bool parseQuoted(const QString &line, qsizetype pos, QString &out, QString &why)
    {
        if (pos >= line.size() || line[pos] != u'"') {
            why = QStringLiteral("expected a text in double quotes");
            return false;
        }
        out.clear();
        for (qsizetype i = pos + 1; i < line.size(); ++i) {
            const QChar c = line[i];
            if (c == u'"') {
                if (i + 1 < line.size() && line[i + 1] == u'"') {
                    out += u'"';
                    ++i;
                    continue;
                }
                if (!line.mid(i + 1).trimmed().isEmpty()) {
                    why = QStringLiteral("unexpected \"%1\" after the closing quote").arg(line.mid(i + 1).trimmed());
                    return false;
                }
                return true;
            }
            if (c == u'\\') {
                if (i + 1 >= line.size()) {
                    why = QStringLiteral("a backslash ends the line");
                    return false;
                }
                const QChar next = line[++i];
                if (next == u'n')
                    out += u'\n';
                else if (next == u't')
                    out += u'\t';
                else if (next == u'\\')
                    out += u'\\';
                else {
                    why = QStringLiteral("unknown escape \\%1").arg(next);
                    return false;
                }
                continue;
            }
            out += c;
        }
        why = QStringLiteral("the text has no closing quote");
        return false;
    }

    qm::Status parse(const QByteArray &data)
    {
        const QList<QByteArray> lines = data.split('\n');
        enum { Outside, ExpectBegin, Inside } state = Outside;
        int language = 0;
        for (qsizetype n = 0; n < lines.size(); ++n) {
            const int lineNo = int(n) + 1;
            QString raw = QString::fromUtf8(lines[n]);
            if (raw.endsWith(u'\r'))
                raw.chop(1);
            const QString line = raw.trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1String("//")))
                continue;
            switch (state) {
            case Outside: {
                static const QLatin1String head("STRINGTABLE LANGUAGE ");
                if (!line.startsWith(head) || !parseNumber(line.mid(head.size()), 1, 0x7FFFFFFF, language))
                    return fail(lineNo, QStringLiteral("expected \"STRINGTABLE LANGUAGE <locale ID>\", found \"%1\"").arg(line));
                if (defaultLanguage == 0)
                    defaultLanguage = language;
                state = ExpectBegin;
                break;
            }
            case ExpectBegin:
                if (line != QLatin1String("BEGIN"))
                    return fail(lineNo, QStringLiteral("expected \"BEGIN\", found \"%1\"").arg(line));
                state = Inside;
                break;
            case Inside: {
                if (line == QLatin1String("END")) {
                    state = Outside;
                    break;
                }
                const qsizetype comma = raw.indexOf(u',');
                int id = 0;
                if (comma < 0 || !parseNumber(raw.left(comma), 0, 0xFFFF, id))
                    return fail(lineNo, QStringLiteral("expected \"<string ID 0-65535>, \"text\"\", found \"%1\"").arg(line));
                qsizetype textStart = comma + 1;
                while (textStart < raw.size() && raw[textStart].isSpace())
                    ++textStart;
                QString text, why;
                if (!parseQuoted(raw, textStart, text, why))
                    return fail(lineNo, QStringLiteral("string ID %1: %2").arg(id).arg(why));
                const quint64 k = (quint64(quint32(language)) << 32) | quint32(id);
                if (texts.contains(k))
                    return fail(lineNo, QStringLiteral("string ID %1 appears twice in language %2").arg(id).arg(language));
                texts.insert(k, text);
                break;
            }
            }
        }
        if (state != Outside)
            return fail(int(lines.size()), QStringLiteral("the last string table has no \"END\""));
        if (defaultLanguage == 0)
            return qm::makeError(QStringLiteral("%1 holds no string table").arg(name));
        return {};
    }
};

} // namespace

qm::Status ResourceReader::Open(const QString &module)
{
    QFile file(module);
    if (!file.open(QIODevice::ReadOnly))
        return qm::makeError(QStringLiteral("Cannot open the string tables %1: %2").arg(module, file.errorString()));
    return OpenText(file.readAll(), module);
}

qm::Status ResourceReader::OpenText(const QByteArray &text, const QString &name)
{
    Parser parser{name, {}, 0};
    qm::Status status = parser.parse(text);
    if (!status.ok())
        return status;
    m_texts = std::move(parser.texts);
    m_defaultLanguage = parser.defaultLanguage;
    m_module = name;
    m_open = true;
    ++m_openCount;
    return {};
}

qm::Result<QString> ResourceReader::GetString(int id, int languageId) const
{
    if (!m_open)
        return qm::makeError(QStringLiteral("The string tables are not open (string ID %1)").arg(id));
    const int language = languageId == 0 ? m_defaultLanguage : languageId;
    return m_texts.value(key(id, language));
}

} // namespace LgvRuntime
