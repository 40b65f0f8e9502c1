#include "coderefs/ProjectCode.h"

#include "platform/vbide/ProjectCodePage.h"
#include "platform/vbide/ProjectFileBytes.h"
#include "platform/vbide/VbpFile.h"

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

QString decodeMember(const QByteArray &bytes, const QByteArray &projectCodePage)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    const QByteArray codec = vbide::detectCodePage(bytes, {}, QString(), projectCodePage);
    QStringDecoder decode(codec.constData());
    if (!decode.isValid())
        decode = QStringDecoder("windows-1252");
    return decode(bytes);
}

CodeReferences readMembers(const QList<CodeMember> &members, const QByteArray &projectCodePage)
{
    QList<MemberCode> code;
    QStringList warnings;
    code.reserve(members.size());
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
        code.append(MemberCode{member, decodeMember(*bytes, projectCodePage)});
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
