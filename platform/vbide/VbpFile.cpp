#include "platform/vbide/VbpFile.h"

#include "platform/vbide/WindowsPath.h"
#include "platform/common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

namespace vbide {

namespace {

struct KeyType {
    const char *key;
    vbext_ComponentType type;
};

// The keys of component lines, in the spelling the host writes.
constexpr KeyType ComponentKeys[] = {
    {"Form", vbext_ct_VBForm},
    {"Module", vbext_ct_StdModule},
    {"Class", vbext_ct_ClassModule},
    {"UserControl", vbext_ct_UserControl},
    {"UserDocument", vbext_ct_DocObject},
    {"PropertyPage", vbext_ct_PropPage},
    {"Designer", vbext_ct_ActiveXDesigner},
    {"RelatedDoc", vbext_ct_RelatedDocument},
    {"ResFile32", vbext_ct_ResFile},
};

QString unquote(const QString &value)
{
    const QString trimmed = value.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('"')) && trimmed.endsWith(QLatin1Char('"')))
        return trimmed.mid(1, trimmed.size() - 2);
    return trimmed;
}

// The first few kilobytes of a source file, enough for its header.
QByteArray headOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(64 * 1024);
}

bool isMdiForm(const QString &path)
{
    return headOf(path).contains("Begin VB.MDIForm");
}

// Attribute VB_Name = "frmMain" in a form, class, control or module file.
QString vbNameOf(const QString &path)
{
    static const QRegularExpression attribute(QStringLiteral("^Attribute VB_Name = \"([^\"]*)\""),
                                              QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = attribute.match(QString::fromLatin1(headOf(path)));
    return match.hasMatch() ? match.captured(1) : QString();
}

QString defaultNameOf(vbext_ComponentType type, const QString &path)
{
    if (type == vbext_ct_RelatedDocument)
        return QFileInfo(path).fileName();
    if (type != vbext_ct_ResFile) {
        const QString name = vbNameOf(path);
        if (!name.isEmpty())
            return name;
    }
    return QFileInfo(path).completeBaseName();
}

bool isTopSectionEnd(const QString &line)
{
    return line.trimmed().startsWith(QLatin1Char('['));
}

} // namespace

int VbpFile::typeOfKey(const QString &key)
{
    for (const KeyType &entry : ComponentKeys) {
        if (key.compare(QLatin1String(entry.key), Qt::CaseInsensitive) == 0)
            return entry.type;
    }
    return 0;
}

QString VbpFile::keyOfType(vbext_ComponentType type)
{
    if (type == vbext_ct_VBMDIForm || type == vbext_ct_VBForm)
        return QStringLiteral("Form");
    if (type == vbext_ct_MSForm)
        return QStringLiteral("Designer");
    for (const KeyType &entry : ComponentKeys) {
        if (entry.type == type)
            return QLatin1String(entry.key);
    }
    return QString();
}

int VbpFile::typeOfFile(const QString &absolutePath)
{
    const QString suffix = QFileInfo(absolutePath).suffix().toLower();
    if (suffix == QLatin1String("frm"))
        return isMdiForm(absolutePath) ? vbext_ct_VBMDIForm : vbext_ct_VBForm;
    if (suffix == QLatin1String("bas"))
        return vbext_ct_StdModule;
    if (suffix == QLatin1String("cls"))
        return vbext_ct_ClassModule;
    if (suffix == QLatin1String("ctl"))
        return vbext_ct_UserControl;
    if (suffix == QLatin1String("dob"))
        return vbext_ct_DocObject;
    if (suffix == QLatin1String("pag"))
        return vbext_ct_PropPage;
    if (suffix == QLatin1String("dsr"))
        return vbext_ct_ActiveXDesigner;
    if (suffix == QLatin1String("res"))
        return vbext_ct_ResFile;
    return 0;
}

qm::Result<std::unique_ptr<VbpFile>> VbpFile::read(const QString &fileName, const QByteArray &codePage)
{
    std::unique_ptr<VbpFile> file(new VbpFile);
    file->m_fileName = QFileInfo(fileName).absoluteFilePath();
    file->m_codePage = codePage;
    if (!QStringDecoder(codePage.constData()).isValid())
        return qm::makeError(QStringLiteral("The code page \"%1\" is not known on this system.")
                                 .arg(QString::fromLatin1(codePage)));
    QFile in(file->m_fileName);
    if (!in.open(QIODevice::ReadOnly))
        return qm::makeError(QStringLiteral("The project file %1 cannot be opened: %2.")
                                 .arg(QDir::toNativeSeparators(file->m_fileName), in.errorString()));
    file->m_original = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return qm::makeError(QStringLiteral("The project file %1 cannot be read: %2.")
                                 .arg(QDir::toNativeSeparators(file->m_fileName), in.errorString()));
    qm::Status parsed = file->parse();
    if (!parsed)
        return parsed.error();
    return file;
}

qm::Result<std::unique_ptr<VbpFile>> VbpFile::forResourceFile(const QString &resFileName)
{
    const QFileInfo res(resFileName);
    if (!res.isFile())
        return qm::makeError(QStringLiteral("The resource file %1 cannot be opened: it does not exist.")
                                 .arg(QDir::toNativeSeparators(res.absoluteFilePath())));
    QString name;
    for (QChar c : res.completeBaseName())
        name += c.isLetterOrNumber() && c.unicode() < 0x80 ? c : QChar(u'_');
    if (name.isEmpty() || !name.front().isLetter())
        name.prepend(u'P');
    name.truncate(40);
    std::unique_ptr<VbpFile> file(new VbpFile);
    file->m_fileName = QDir(res.absolutePath()).filePath(res.completeBaseName() + QStringLiteral(".vbp"));
    file->m_codePage = "UTF-8";
    file->m_resourceOnly = true;
    file->m_original = QStringLiteral("Type=Exe\r\nResFile32=\"%1\"\r\nName=\"%2\"\r\n").arg(res.fileName(), name).toUtf8();
    qm::Status parsed = file->parse();
    if (!parsed)
        return parsed.error();
    return file;
}

qm::Status VbpFile::parse()
{
    const QString shownName = QFileInfo(m_fileName).fileName();
    if (m_original.contains('\0'))
        return qm::makeError(QStringLiteral("%1 is not a Visual Basic project file: it holds binary data.")
                                 .arg(shownName));
    qsizetype start = 0;
    while (start < m_original.size()) {
        qsizetype end = m_original.indexOf('\n', start);
        Line line;
        if (end < 0) {
            line.text = m_original.mid(start);
            start = m_original.size();
        } else {
            qsizetype textEnd = end;
            if (textEnd > start && m_original.at(textEnd - 1) == '\r')
                --textEnd;
            line.text = m_original.mid(start, textEnd - start);
            line.ending = m_original.mid(textEnd, end + 1 - textEnd);
            start = end + 1;
        }
        m_lines.append(line);
    }

    QStringDecoder decode(m_codePage.constData());
    bool hasType = false;
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString text = decode(m_lines[i].text);
        if (isTopSectionEnd(text))
            break;
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = text.left(equals).trimmed();
        const QString value = text.mid(equals + 1);
        if (key.compare(QLatin1String("Type"), Qt::CaseInsensitive) == 0)
            hasType = true;
        const int type = typeOfKey(key);
        if (type == 0)
            continue;
        VbpComponent component;
        component.type = vbext_ComponentType(type);
        QString written = value;
        if (type == vbext_ct_StdModule || type == vbext_ct_ClassModule) {
            const qsizetype semicolon = value.indexOf(QLatin1Char(';'));
            if (semicolon >= 0) {
                component.name = value.left(semicolon).trimmed();
                written = value.mid(semicolon + 1);
            }
        }
        component.writtenPath = unquote(written);
        if (component.writtenPath.isEmpty()) {
            m_warnings.append(QStringLiteral("%1, line %2: the %3 line names no file.")
                                  .arg(shownName).arg(i + 1).arg(key));
            continue;
        }
        const ResolvedPath resolved = resolveWindowsPath(folder(), component.writtenPath);
        component.path = resolved.path;
        component.exists = resolved.exists;
        if (!resolved.exists) {
            m_warnings.append(QStringLiteral("%1, line %2: the file \"%3\" was not found (looked for %4).")
                                  .arg(shownName)
                                  .arg(i + 1)
                                  .arg(component.writtenPath, QDir::toNativeSeparators(resolved.path)));
        } else if (type == vbext_ct_VBForm && isMdiForm(resolved.path)) {
            component.type = vbext_ct_VBMDIForm;
        }
        if (component.name.isEmpty())
            component.name = defaultNameOf(component.type, component.path);
        m_components.append(component);
    }
    if (decode.hasError())
        return qm::makeError(QStringLiteral("%1 cannot be read in the code page %2.")
                                 .arg(shownName, QString::fromLatin1(m_codePage)));
    if (!hasType)
        return qm::makeError(QStringLiteral("%1 is not a Visual Basic project file: it has no \"Type=\" line.")
                                 .arg(shownName));
    return {};
}

QString VbpFile::folder() const
{
    return QFileInfo(m_fileName).absolutePath();
}

int VbpFile::findKey(const QByteArray &key) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const QByteArray &text = m_lines[i].text;
        if (text.trimmed().startsWith('['))
            return -1;
        const qsizetype equals = text.indexOf('=');
        if (equals > 0 && text.left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString VbpFile::name() const
{
    const int line = findKey("Name");
    if (line < 0)
        return QStringLiteral("Project1");
    QStringDecoder decode(m_codePage.constData());
    const QString text = decode(m_lines[line].text);
    return unquote(text.mid(text.indexOf(QLatin1Char('=')) + 1));
}

qm::Result<QByteArray> VbpFile::encode(const QString &text) const
{
    QStringEncoder encoder(m_codePage.constData());
    QByteArray bytes = encoder(text);
    if (encoder.hasError())
        return qm::makeError(QStringLiteral("\"%1\" cannot be written in the project file's code page %2.")
                                 .arg(text, QString::fromLatin1(m_codePage)));
    return bytes;
}

QByteArray VbpFile::defaultEnding() const
{
    for (const Line &line : m_lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return QByteArrayLiteral("\r\n");
}

qm::Status VbpFile::setName(const QString &name)
{
    if (name == this->name() && findKey("Name") >= 0)
        return {};
    qm::Result<QByteArray> text = encode(QStringLiteral("Name=\"%1\"").arg(name));
    if (!text)
        return text.error();
    const int line = findKey("Name");
    if (line >= 0) {
        m_lines[line].text = *text;
    } else {
        // After the last line of the top section.
        int at = 0;
        while (at < m_lines.size() && !m_lines[at].text.trimmed().startsWith('['))
            ++at;
        while (at > 0 && m_lines[at - 1].text.trimmed().isEmpty())
            --at;
        if (at > 0 && m_lines[at - 1].ending.isEmpty())
            m_lines[at - 1].ending = defaultEnding();
        m_lines.insert(at, Line{*text, defaultEnding()});
    }
    m_changed = true;
    return {};
}

qm::Status VbpFile::addComponent(vbext_ComponentType type, const QString &name, const QString &absolutePath)
{
    const QString key = keyOfType(type);
    if (key.isEmpty())
        return qm::makeError(QStringLiteral("Components of type %1 cannot be written to a project file.").arg(int(type)));
    const QString written = toWindowsRelativePath(folder(), absolutePath);
    QString text;
    if (type == vbext_ct_StdModule || type == vbext_ct_ClassModule)
        text = QStringLiteral("%1=%2; %3").arg(key, name, written);
    else if (type == vbext_ct_ResFile)
        text = QStringLiteral("%1=\"%2\"").arg(key, written);
    else
        text = QStringLiteral("%1=%2").arg(key, written);
    qm::Result<QByteArray> bytes = encode(text);
    if (!bytes)
        return bytes.error();

    // After the last line that names a type, reference, object or component.
    QStringDecoder decode(m_codePage.constData());
    int at = 0;
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString line = decode(m_lines[i].text);
        if (isTopSectionEnd(line))
            break;
        const QString lineKey = line.left(line.indexOf(QLatin1Char('='))).trimmed();
        if (typeOfKey(lineKey) != 0 || lineKey.compare(QLatin1String("Type"), Qt::CaseInsensitive) == 0
            || lineKey.compare(QLatin1String("Reference"), Qt::CaseInsensitive) == 0
            || lineKey.compare(QLatin1String("Object"), Qt::CaseInsensitive) == 0)
            at = i + 1;
    }
    if (at > 0 && m_lines[at - 1].ending.isEmpty())
        m_lines[at - 1].ending = defaultEnding();
    m_lines.insert(at, Line{*bytes, defaultEnding()});

    VbpComponent component;
    component.type = type;
    component.name = name;
    component.path = QDir::cleanPath(absolutePath);
    component.exists = QFileInfo::exists(absolutePath);
    component.writtenPath = written;
    m_components.append(component);
    m_changed = true;
    return {};
}

QByteArray VbpFile::bytes() const
{
    QByteArray out;
    out.reserve(m_original.size() + 256);
    for (const Line &line : m_lines) {
        out += line.text;
        out += line.ending;
    }
    return out;
}

qm::Status VbpFile::save()
{
    const QString shown = QDir::toNativeSeparators(m_fileName);
    if (m_resourceOnly)
        return qm::makeError(QStringLiteral("The project %1 stands for its resource file alone and has no project "
                                            "file to save; its strings are saved from the editor.").arg(name()));
    QFile current(m_fileName);
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly))
            return qm::makeError(QStringLiteral("%1 cannot be read before saving: %2.").arg(shown, current.errorString()));
        if (current.readAll() != m_original)
            return qm::makeError(QStringLiteral("%1 was changed by another program since it was opened; "
                                                "it was not overwritten. Open it again to see those changes.")
                                     .arg(shown));
        current.close();
    }
    const QByteArray data = bytes();
    qm::AtomicFile out(m_fileName);
    if (!out.open() || !out.write(data) || !out.commit())
        return qm::makeError(QStringLiteral("%1 cannot be saved: %2.").arg(shown, out.problem()));
    m_original = data;
    m_changed = false;
    return {};
}

} // namespace vbide
