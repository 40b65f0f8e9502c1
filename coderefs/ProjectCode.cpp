#include "coderefs/ProjectCode.h"

#include "platform/vbproject/ProjectCodePage.h"
#include "platform/vbproject/ProjectFileBytes.h"
#include "platform/vbproject/VbpFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace coderefs {

namespace {

bool holdsCode(vbide::vbext_ComponentType type)
{
    switch (type) {
    case vbide::vbext_ct_StdModule:
    case vbide::vbext_ct_ClassModule:
    case vbide::vbext_ct_MSForm:
    case vbide::vbext_ct_VBForm:
    case vbide::vbext_ct_VBMDIForm:
    case vbide::vbext_ct_PropPage:
    case vbide::vbext_ct_UserControl:
    case vbide::vbext_ct_DocObject:
    case vbide::vbext_ct_ActiveXDesigner:
        return true;
    default:
        return false;
    }
}

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

} // namespace

QByteArray membersCodePage(const QList<QByteArray> &contents, const QByteArray &projectCodePage)
{
    if (!projectCodePage.isEmpty())
        return projectCodePage;
    // Enough text to tell a code page; telling it per member would cost more than reading them.
    constexpr qsizetype Enough = 256 * 1024;
    QByteArray pooled;
    for (const QByteArray &bytes : contents) {
        if (pooled.size() >= Enough)
            break;
        if (!isAscii(bytes))
            pooled += bytes;
    }
    return pooled.isEmpty() ? QByteArray("windows-1252") : vbide::detectCodePage(pooled, {}, QString());
}

QString decodeMember(const QByteArray &bytes, const QByteArray &codePage)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder decode(codePage.constData());
    if (decode.isValid()) {
        QString text = decode(bytes);
        if (!decode.hasError())
            return text;
    }
    // A member from another Windows than the others: its own text tells.
    QStringDecoder own(vbide::detectCodePage(bytes, {}, QString()).constData());
    if (!own.isValid())
        own = QStringDecoder("windows-1252");
    return own(bytes);
}

CodeReferences readMembers(const QList<CodeMember> &members, const QByteArray &projectCodePage)
{
    QList<CodeMember> read;
    QList<QByteArray> contents;
    QStringList warnings;
    for (const CodeMember &member : members) {
        const QString shown = member.writtenPath.isEmpty() ? QDir::toNativeSeparators(member.path) : member.writtenPath;
        if (member.path.isEmpty()) {
            warnings.append(QStringLiteral("%1: the member has no file; its code was not read.").arg(member.name));
            continue;
        }
        qm::Result<QByteArray> bytes = vbide::readProjectFileBytes(member.path, QStringLiteral("member file"));
        if (!bytes) {
            warnings.append(bytes.errorString());
            continue;
        }
        if (bytes->contains('\0')) {
            warnings.append(QStringLiteral("%1 is not Visual Basic code: it holds binary data; it was not read.").arg(shown));
            continue;
        }
        read.append(member);
        contents.append(std::move(*bytes));
    }
    const QByteArray codePage = membersCodePage(contents, projectCodePage);
    QList<MemberCode> code;
    code.reserve(read.size());
    for (qsizetype i = 0; i < read.size(); ++i) {
        code.append(MemberCode{read[i], decodeMember(contents[i], codePage)});
        contents[i] = QByteArray();
    }
    CodeReferences references = findReferences(code);
    references.warnings = warnings + references.warnings;
    return references;
}

QList<CodeMember> codeMembers(const vbide::VbpFile &project)
{
    QList<CodeMember> members;
    for (const vbide::VbpComponent &component : project.components()) {
        if (!holdsCode(component.type))
            continue;
        CodeMember member;
        member.name = component.name;
        member.path = component.path;
        member.writtenPath = component.writtenPath;
        member.type = component.type;
        members.append(member);
    }
    return members;
}

QByteArray projectCodePage(const vbide::VbpFile &project)
{
    return isAscii(project.bytes()) ? QByteArray() : project.codePage();
}

CodeReferences readProjectReferences(const vbide::VbpFile &project)
{
    // A member the disk lacks is told once, by the project file's own warning.
    QList<CodeMember> members = codeMembers(project);
    members.removeIf([](const CodeMember &member) { return !QFileInfo::exists(member.path); });
    CodeReferences references = readMembers(members, projectCodePage(project));
    references.warnings = project.warnings() + references.warnings;
    return references;
}

qm::Result<CodeReferences> readProjectReferences(const QString &vbpPath)
{
    qm::Result<std::unique_ptr<vbide::VbpFile>> project = vbide::VbpFile::read(vbpPath);
    if (!project)
        return project.error();
    return readProjectReferences(**project);
}

} // namespace coderefs
