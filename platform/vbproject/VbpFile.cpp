#include "platform/vbproject/VbpFile.h"

#include "platform/vbproject/ProjectCodePage.h"
#include "platform/vbproject/ProjectFileBytes.h"
#include "platform/vbproject/WindowsPath.h"
#include "platform/common/AtomicFile.h"
#include "platform/common/InputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <limits>

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
    QFile file;
    if (!qm::openInputFile(file, path, std::numeric_limits<qint64>::max(), QStringLiteral("source files")))
        return QByteArray();
    return file.read(64 * 1024);
}

bool isMdiForm(const QString &path)
{
    return headOf(path).contains("Begin VB.MDIForm");
}

// Attribute VB_Name = "frmMain" in a form, class, control or module file.
QString vbNameOf(const QString &path, const QByteArray &codePage)
{
    static const QRegularExpression attribute(QStringLiteral("^Attribute VB_Name = \"([^\"]*)\""),
                                              QRegularExpression::MultilineOption);
    QStringDecoder decode(codePage.constData());
    const QString head = decode.isValid() ? QString(decode(headOf(path))) : QString::fromLatin1(headOf(path));
    const QRegularExpressionMatch match = attribute.match(head);
    return match.hasMatch() ? match.captured(1) : QString();
}

constexpr QByteArrayView CrLf("\r\n");
constexpr QByteArrayView Lf("\n");

// Keys only project files hold, for those of Visual Basic 4 and 5 without "Type=".
bool isProjectKey(const QString &key)
{
    static const char *const keys[] = {"Reference", "Object", "Name", "Startup", "IconForm", "ExeName32",
                                       "ExeName", "ProjWinSize", "ProjWinShow", "HelpFile", "Title", "Command32"};
    for (const char *known : keys) {
        if (key.compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
            return true;
    }
    return VbpFile::typeOfKey(key) != 0;
}

} // namespace

QString VbpFile::defaultComponentName(vbext_ComponentType type, const QString &path, const QByteArray &codePage)
{
    if (type == vbext_ct_RelatedDocument)
        return QFileInfo(path).fileName();
    if (type != vbext_ct_ResFile) {
        const QString name = vbNameOf(path, codePage);
        if (!name.isEmpty())
            return name;
    }
    return QFileInfo(path).completeBaseName();
}

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

qm::Result<std::unique_ptr<VbpFile>> VbpFile::read(const QString &fileName, const QByteArray &codePage,
                                                   const QByteArray &hint)
{
    std::unique_ptr<VbpFile> file(new VbpFile);
    file->m_fileName = QFileInfo(fileName).absoluteFilePath();
    if (!codePage.isEmpty() && !QStringDecoder(codePage.constData()).isValid())
        return qm::makeError(QStringLiteral("The code page \"%1\" is not known on this system.")
                                 .arg(QString::fromLatin1(codePage)));
    qm::Result<QByteArray> bytes = readProjectFileBytes(file->m_fileName, QStringLiteral("project file"));
    if (!bytes)
        return bytes.error();
    file->m_original = std::move(*bytes);
    if (file->m_original.contains('\0'))
        return qm::makeError(QStringLiteral("%1 is not a Visual Basic project file: it holds binary data.")
                                 .arg(QFileInfo(file->m_fileName).fileName()));
    file->splitLines();
    file->m_codePage = !codePage.isEmpty() ? codePage
                                           : detectCodePage(file->m_original, file->listedNames(), file->folder(), hint);
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
    file->splitLines();
    qm::Status parsed = file->parse();
    if (!parsed)
        return parsed.error();
    return file;
}

void VbpFile::splitLines()
{
    m_lines.clear();
    m_written.clear();
    qsizetype start = 0;
    while (start < m_original.size()) {
        const qsizetype end = m_original.indexOf('\n', start);
        Line line;
        line.start = start;
        if (end < 0) {
            line.length = m_original.size() - start;
            start = m_original.size();
        } else {
            const bool cr = end > start && m_original.at(end - 1) == '\r';
            line.length = end - start - (cr ? 1 : 0);
            line.ending = cr ? CrLf : Lf;
            start = end + 1;
        }
        m_lines.append(line);
    }
}

QByteArrayView VbpFile::textOf(const Line &line) const
{
    if (line.start < 0)
        return m_written[line.length];
    return QByteArrayView(m_original.constData() + line.start, line.length);
}

void VbpFile::setText(int line, const QByteArray &text)
{
    m_written.append(text);
    m_lines[line].start = -1;
    m_lines[line].length = m_written.size() - 1;
}

void VbpFile::insertLine(int at, const QByteArray &text)
{
    if (at > 0 && m_lines[at - 1].ending.isEmpty())
        m_lines[at - 1].ending = defaultEnding();
    m_written.append(text);
    m_lines.insert(at, Line{-1, m_written.size() - 1, defaultEnding()});
}

int VbpFile::topSectionEnd() const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        if (textOf(m_lines[i]).trimmed().startsWith('['))
            return i;
    }
    return int(m_lines.size());
}

QList<QByteArray> VbpFile::listedNames() const
{
    // Keys, '=', ';' and quotes are ASCII and never the second byte of a
    // double-byte character, so the names can be cut out before decoding.
    constexpr int Enough = 64;
    QList<QByteArray> names;
    const int end = topSectionEnd();
    for (int i = 0; i < end && names.size() < Enough; ++i) {
        const QByteArrayView text = textOf(m_lines[i]);
        const qsizetype equals = text.indexOf('=');
        if (equals <= 0)
            continue;
        const int type = typeOfKey(QString::fromLatin1(text.first(equals).trimmed()));
        if (type == 0)
            continue;
        QByteArrayView value = text.sliced(equals + 1);
        if (type == vbext_ct_StdModule || type == vbext_ct_ClassModule) {
            if (const qsizetype semicolon = value.indexOf(';'); semicolon >= 0)
                value = value.sliced(semicolon + 1);
        }
        if (std::any_of(value.begin(), value.end(), [](char c) { return uchar(c) >= 0x80; }))
            names.append(value.toByteArray());
    }
    return names;
}

qm::Status VbpFile::parse()
{
    const QString shownName = QFileInfo(m_fileName).fileName();
    QStringDecoder decode(m_codePage.constData());
    if (!decode.isValid())
        return qm::makeError(QStringLiteral("The code page \"%1\" is not known on this system.")
                                 .arg(QString::fromLatin1(m_codePage)));
    WindowsPathResolver resolver;
    bool hasType = false;
    bool hasProjectKey = false;
    const int end = topSectionEnd();
    for (int i = 0; i < end; ++i) {
        const QString text = decode(textOf(m_lines[i]));
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = text.left(equals).trimmed();
        const QString value = text.mid(equals + 1);
        if (key.compare(QLatin1String("Type"), Qt::CaseInsensitive) == 0)
            hasType = true;
        hasProjectKey = hasProjectKey || isProjectKey(key);
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
            m_unnamed.add([&] {
                return QStringLiteral("%1, line %2: the %3 line names no file.").arg(shownName, QString::number(i + 1), key);
            });
            continue;
        }
        const ResolvedPath resolved = resolver.resolve(folder(), component.writtenPath);
        component.path = resolved.path;
        component.exists = resolved.exists;
        if (!resolved.exists) {
            m_missing.add([&] {
                return QStringLiteral("%1, line %2: the file \"%3\" was not found (looked for %4).")
                    .arg(shownName, QString::number(i + 1), component.writtenPath, QDir::toNativeSeparators(resolved.path));
            });
        } else if (type == vbext_ct_VBForm && isMdiForm(resolved.path)) {
            component.type = vbext_ct_VBMDIForm;
        }
        if (component.name.isEmpty())
            component.name = defaultComponentName(component.type, component.path, m_codePage);
        m_components.append(component);
    }
    if (decode.hasError())
        return qm::makeError(QStringLiteral("%1 cannot be read in the code page %2.")
                                 .arg(shownName, describeCodePage(m_codePage)));
    // Visual Basic 4 and 5 wrote no Type= for a standard EXE project.
    if (!hasType && !hasProjectKey)
        return qm::makeError(QStringLiteral("%1 is not a Visual Basic project file: it has no \"Type=\" line "
                                            "and no other line a project file holds.")
                                 .arg(shownName));
    return {};
}

QStringList VbpFile::warnings() const
{
    const QString shownName = QFileInfo(m_fileName).fileName();
    return m_unnamed.lines([&](int count, int shown) {
               return shownName + QStringLiteral(": %1 lines name no file; the first %2:").arg(count).arg(shown);
           })
         + m_missing.lines([&](int count, int shown) {
               return shownName + QStringLiteral(": %1 files were not found; the first %2:").arg(count).arg(shown);
           });
}

QString VbpFile::projectType() const
{
    const int line = findKey("Type");
    if (line < 0)
        return QStringLiteral("Exe");
    QStringDecoder decode(m_codePage.constData());
    const QString text = decode(textOf(m_lines[line]));
    return unquote(text.mid(text.indexOf(QLatin1Char('=')) + 1));
}

QString VbpFile::folder() const
{
    return QFileInfo(m_fileName).absolutePath();
}

int VbpFile::findKey(const QByteArray &key) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const QByteArrayView text = textOf(m_lines[i]);
        if (text.trimmed().startsWith('['))
            return -1;
        const qsizetype equals = text.indexOf('=');
        if (equals > 0 && text.first(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0)
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
    const QString text = decode(textOf(m_lines[line]));
    return unquote(text.mid(text.indexOf(QLatin1Char('=')) + 1));
}

qm::Result<QByteArray> VbpFile::encode(const QString &text) const
{
    QStringEncoder encoder(m_codePage.constData());
    QByteArray bytes = encoder(text);
    if (encoder.hasError())
        return qm::makeError(QStringLiteral("\"%1\" cannot be written in the project file's code page %2 (%3).")
                                 .arg(text, QString::fromLatin1(m_codePage), describeCodePage(m_codePage)));
    return bytes;
}

QByteArrayView VbpFile::defaultEnding() const
{
    for (const Line &line : m_lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return CrLf;
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
        setText(line, *text);
    } else {
        // After the last line of the top section.
        int at = topSectionEnd();
        while (at > 0 && textOf(m_lines[at - 1]).trimmed().isEmpty())
            --at;
        insertLine(at, *text);
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
    const int end = topSectionEnd();
    for (int i = 0; i < end; ++i) {
        const QString line = decode(textOf(m_lines[i]));
        const QString lineKey = line.left(line.indexOf(QLatin1Char('='))).trimmed();
        if (typeOfKey(lineKey) != 0 || lineKey.compare(QLatin1String("Type"), Qt::CaseInsensitive) == 0
            || lineKey.compare(QLatin1String("Reference"), Qt::CaseInsensitive) == 0
            || lineKey.compare(QLatin1String("Object"), Qt::CaseInsensitive) == 0)
            at = i + 1;
    }
    insertLine(at, *bytes);

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
        out += textOf(line);
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
    splitLines();
    m_changed = false;
    return {};
}

} // namespace vbide
