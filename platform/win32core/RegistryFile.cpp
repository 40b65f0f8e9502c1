#include "platform/win32core/RegistryFile.h"

#include <QStringDecoder>

namespace win32 {

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
constexpr int kLineWidth = 76;

QString quoted(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

// Whether every surrogate in text is one half of a pair; UTF-8 carries only such text.
bool wellFormed(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

// The text of REG_SZ data when the quoted form carries it exactly.
bool plainText(const QByteArray &data, QString *text)
{
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    const int units = data.size() / 2;
    QString result(units - 1, Qt::Uninitialized);
    for (int i = 0; i < units; ++i) {
        const char16_t unit = char16_t(uchar(data[2 * i]) | (uchar(data[2 * i + 1]) << 8));
        const bool last = i == units - 1;
        if (last != (unit == 0))
            return false;
        if (unit == u'\r' || unit == u'\n')
            return false;
        if (!last)
            result[i] = QChar(unit);
    }
    if (!wellFormed(result))
        return false;
    *text = result;
    return true;
}

void appendHex(QString &line, QString &out, const QByteArray &data)
{
    for (int i = 0; i < data.size(); ++i) {
        QString item = QStringLiteral("%1").arg(uchar(data[i]), 2, 16, QLatin1Char('0'));
        if (i + 1 < data.size())
            item += QLatin1Char(',');
        if (line.size() + item.size() > kLineWidth && i + 1 < data.size()) {
            out += line + QStringLiteral("\\\n");
            line = QStringLiteral("  ");
        }
        line += item;
    }
}

QString formatValue(const StoredValue &value)
{
    QString line = value.name.isEmpty() ? QStringLiteral("@") : quoted(value.name);
    line += QLatin1Char('=');
    QString text;
    if (value.type == REG_SZ && plainText(value.data, &text))
        return line + quoted(text) + QLatin1Char('\n');
    if (value.type == REG_DWORD && value.data.size() == 4) {
        const quint32 n = quint32(uchar(value.data[0])) | quint32(uchar(value.data[1])) << 8 |
                          quint32(uchar(value.data[2])) << 16 | quint32(uchar(value.data[3])) << 24;
        return line + QStringLiteral("dword:%1\n").arg(n, 8, 16, QLatin1Char('0'));
    }
    line += value.type == REG_BINARY ? QStringLiteral("hex:") : QStringLiteral("hex(%1):").arg(value.type, 0, 16);
    QString out;
    appendHex(line, out, value.data);
    return out + line + QLatin1Char('\n');
}

void formatKey(const RegistryKeyNode &node, const QString &path, bool isRoot, QString &out)
{
    if (!isRoot || !node.values.isEmpty()) {
        out += QLatin1Char('[') + path + QStringLiteral("]\n");
        for (const StoredValue &value : node.values)
            out += formatValue(value);
        out += QLatin1Char('\n');
    }
    for (const auto &[folded, child] : node.children)
        formatKey(*child, path + QLatin1Char('\\') + child->name, false, out);
}

class Parser {
public:
    Parser(const QString &fileName, RegistryTree *tree) : m_fileName(fileName), m_tree(tree) {}

    qm::Status run(const QStringList &lines)
    {
        m_lines = lines;
        bool headerSeen = false;
        for (m_index = 0; m_index < m_lines.size(); ++m_index) {
            const QString line = m_lines[m_index].trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
                continue;
            if (!headerSeen) {
                if (line != kHeader)
                    return fail(QStringLiteral("expected the first line \"%1\"").arg(kHeader), line);
                headerSeen = true;
                continue;
            }
            qm::Status status = line.startsWith(QLatin1Char('[')) ? parseKey(line) : parseValue(line);
            if (!status)
                return status;
        }
        // A file with nothing in it holds no settings to lose.
        return {};
    }

private:
    qm::Status fail(const QString &expected, const QString &found) const
    {
        QString shown = found.left(60);
        if (found.size() > 60)
            shown += QStringLiteral("...");
        return qm::makeError(QStringLiteral("The settings file %1 is damaged at line %2: %3, found %4.")
                                 .arg(m_fileName, QString::number(m_index + 1), expected,
                                      QLatin1Char('"') + shown + QLatin1Char('"')));
    }

    qm::Status parseKey(const QString &line)
    {
        if (!line.endsWith(QLatin1Char(']')))
            return fail(QStringLiteral("expected a key name ending in \"]\""), line);
        QString path = line.mid(1, line.size() - 2);
        const bool remove = path.startsWith(QLatin1Char('-'));
        if (remove)
            path.remove(0, 1);
        const int slash = path.indexOf(QLatin1Char('\\'));
        const HKEY root = RegistryStore::rootFromName(slash < 0 ? path : path.left(slash));
        QStringList pieces;
        if (!root || !RegistryStore::rootName(root).startsWith(QLatin1String("HKEY_")) ||
            !splitRegistryPath(slash < 0 ? QString() : path.mid(slash + 1), &pieces))
            return fail(QStringLiteral("expected a key path below HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, "
                                       "HKEY_LOCAL_MACHINE or HKEY_USERS"),
                        line);
        if (remove) {
            removeTree(root, pieces);
            m_current = nullptr;
            m_skipping = true;
        } else {
            m_current = m_tree->create(root, pieces, nullptr);
            m_skipping = false;
        }
        return {};
    }

    void removeTree(HKEY root, const QStringList &pieces)
    {
        if (pieces.isEmpty())
            return;
        RegistryKeyNode *parent = m_tree->find(root, pieces.mid(0, pieces.size() - 1));
        if (parent)
            parent->children.erase(foldRegistryName(pieces.last()));
    }

    // Reads a quoted string starting at text[*pos] == '"'; leaves *pos after the closing quote.
    bool readQuoted(const QString &text, int *pos, QString *out) const
    {
        out->clear();
        for (int i = *pos + 1; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == QLatin1Char('"')) {
                *pos = i + 1;
                return true;
            }
            if (c == QLatin1Char('\\')) {
                if (i + 1 >= text.size() || (text[i + 1] != QLatin1Char('\\') && text[i + 1] != QLatin1Char('"')))
                    return false;
                ++i;
            }
            *out += text[i];
        }
        return false;
    }

    qm::Status parseValue(QString line)
    {
        if (m_skipping)
            return {};
        if (!m_current)
            return fail(QStringLiteral("expected a key in brackets before the first value"), line);
        QString name;
        int pos = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (!line.startsWith(QLatin1Char('"')) || !readQuoted(line, &pos, &name)) {
            return fail(QStringLiteral("expected a key in brackets, or a quoted value name or @"), line);
        }
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            return fail(QStringLiteral("expected \"=\" after the value name"), line);
        QString data = line.mid(pos + 1).trimmed();
        if (data.startsWith(QLatin1String("hex"))) {
            while (data.endsWith(QLatin1Char('\\')) && m_index + 1 < m_lines.size()) {
                data.chop(1);
                data += m_lines[++m_index].trimmed();
            }
        }
        StoredValue value;
        value.name = name;
        if (data == QLatin1String("-")) {
            const int index = m_current->valueIndex(name);
            if (index >= 0)
                m_current->values.removeAt(index);
            return {};
        }
        if (data.startsWith(QLatin1Char('"'))) {
            QString text;
            int end = 0;
            if (!readQuoted(data, &end, &text) || !data.mid(end).trimmed().isEmpty())
                return fail(QStringLiteral("expected a string in quotes with \\\\ and \\\" escaped"), data);
            value.type = REG_SZ;
            value.data = QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
            value.data.append(2, '\0');
        } else if (data.startsWith(QLatin1String("dword:"))) {
            const QString digits = data.mid(6);
            bool ok = digits.size() == 8;
            const quint32 n = ok ? digits.toUInt(&ok, 16) : 0;
            if (!ok)
                return fail(QStringLiteral("expected dword: and eight hexadecimal digits"), data);
            value.type = REG_DWORD;
            for (int shift = 0; shift < 32; shift += 8)
                value.data.append(char((n >> shift) & 0xff));
        } else if (data.startsWith(QLatin1String("hex"))) {
            const int colon = data.indexOf(QLatin1Char(':'));
            const QString kind = colon < 0 ? QString() : data.left(colon);
            bool ok = colon > 0;
            if (kind == QLatin1String("hex")) {
                value.type = REG_BINARY;
            } else if (ok && kind.startsWith(QLatin1String("hex(")) && kind.endsWith(QLatin1Char(')'))) {
                value.type = kind.mid(4, kind.size() - 5).toUInt(&ok, 16);
            } else {
                ok = false;
            }
            if (!ok || !parseBytes(data.mid(colon + 1), &value.data))
                return fail(QStringLiteral("expected hex: or hex(type): and bytes as two hexadecimal digits "
                                           "separated by commas"),
                            data);
        } else {
            return fail(QStringLiteral("expected a quoted string, dword:, hex: or hex(type): after \"=\""), data);
        }
        const int index = m_current->valueIndex(name);
        if (index >= 0)
            m_current->values[index] = value;
        else
            m_current->values.append(value);
        return {};
    }

    static bool parseBytes(const QString &list, QByteArray *bytes)
    {
        const QString trimmed = list.trimmed();
        if (trimmed.isEmpty())
            return true;
        for (const QString &item : trimmed.split(QLatin1Char(','))) {
            const QString digits = item.trimmed();
            bool ok = digits.size() == 2;
            const uint byte = ok ? digits.toUInt(&ok, 16) : 0;
            if (!ok)
                return false;
            bytes->append(char(byte));
        }
        return true;
    }

    QString m_fileName;
    RegistryTree *m_tree;
    QStringList m_lines;
    int m_index = 0;
    RegistryKeyNode *m_current = nullptr;
    bool m_skipping = false;
};

} // namespace

qm::Status parseRegistryFile(const QByteArray &bytes, const QString &fileName, RegistryTree *tree)
{
    QString text;
    if (bytes.startsWith("\xff\xfe")) {
        if (bytes.size() % 2 != 0)
            return qm::makeError(QStringLiteral("The settings file %1 is damaged: it is UTF-16 text with an odd number "
                                                "of bytes (%2).")
                                     .arg(fileName)
                                     .arg(bytes.size()));
        text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    } else {
        QStringDecoder decoder(QStringDecoder::Utf8);
        text = decoder(bytes.startsWith("\xef\xbb\xbf") ? bytes.mid(3) : bytes);
        if (decoder.hasError())
            return qm::makeError(
                QStringLiteral("The settings file %1 is damaged: it is not valid UTF-8 or UTF-16 text.").arg(fileName));
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Parser parser(fileName, tree);
    return parser.run(text.split(QLatin1Char('\n')));
}

QByteArray formatRegistryFile(const RegistryTree &tree)
{
    QString out = kHeader + QStringLiteral("\n\n");
    for (HKEY root : RegistryTree::roots())
        formatKey(*tree.rootNode(root), RegistryStore::rootName(root), true, out);
    if (wellFormed(out))
        return out.toUtf8();
    // A key or value name with a lone surrogate: UTF-16, as regedit itself
    // writes these files, carries it exactly.
    QByteArray bytes("\xff\xfe");
    for (QChar c : out) {
        bytes.append(char(c.unicode() & 0xff));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

} // namespace win32
