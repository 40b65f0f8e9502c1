#pragma once

// Reading the code of a project's members from disk, in the code page Visual
// Basic wrote them in.

#include "coderefs/CodeReferences.h"

#include "platform/common/Result.h"

#include <QByteArray>
#include <QString>

namespace vbide {
class VbpFile;
}

namespace coderefs {

// The code page of a project's members. A member file records it nowhere,
// and Visual Basic writes every member in the code page of the Windows it ran
// on: the project's code page when its file tells one (projectCodePage, empty
// when the project file is ASCII), else the one the members' text suggests,
// else Windows-1252, as the host reads project files.
QByteArray membersCodePage(const QList<QByteArray> &contents, const QByteArray &projectCodePage);
// A member file's text in codePage; in the code page its own text suggests
// when codePage does not read it.
QString decodeMember(const QByteArray &bytes, const QByteArray &codePage);

// The resource calls of the members (their path set; a member without a file,
// or one that cannot be read, becomes a warning).
CodeReferences readMembers(const QList<CodeMember> &members, const QByteArray &projectCodePage);

// The members a project file lists: forms, modules, classes, user controls,
// property pages, user documents and designers.
QList<CodeMember> codeMembers(const vbide::VbpFile &project);

// The project's code page as far as it tells one: empty for a file of ASCII only.
QByteArray projectCodePage(const vbide::VbpFile &project);

// Every member the project lists, its warnings (missing files) first.
CodeReferences readProjectReferences(const vbide::VbpFile &project);
// Reads the project file and every member it lists.
qm::Result<CodeReferences> readProjectReferences(const QString &vbpPath);

} // namespace coderefs
