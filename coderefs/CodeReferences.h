#pragma once

// Where a project's Visual Basic code reads its resources: every call of
// LoadResString, LoadResData and LoadResPicture, its ID argument resolved to a
// number (or a resource name) where the code alone tells it.

#include "platform/vbproject/ComponentType.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace coderefs {

enum class ResCall : quint8 { String, Data, Picture };
// "LoadResString", "LoadResData", "LoadResPicture".
const char *callName(ResCall call);

struct CodeMember {
    QString name;          // the component's name: "frmMain"
    QString path;          // absolute; empty for code that has no file
    QString writtenPath;   // as the project file writes it: "Classes\clsGreeting.cls"
    vbide::vbext_ComponentType type = vbide::vbext_ct_StdModule;
    int codeStartLine = 1; // the first line after the property block and the attributes
};

// One call whose ID argument resolved. Lines count from 1 in the member's file.
struct ResourceUse {
    ResCall call = ResCall::String;
    qint32 id = -1;          // 0..65535, or -1 for a resource named by a string
    QString name;            // LoadResData("LOGO", ...): the name, upper case as the file keeps it
    qint32 typeOrdinal = -1; // LoadResData/LoadResPicture: the resource type; -1 when named or not told
    QString typeName;        // LoadResData(1, "CUSTOM"): the type's name, upper case
    int member = 0;          // index into CodeReferences::members
    int line = 0;
    QString expression;      // the ID argument as written, continuation lines joined
};

// A call whose ID the code does not tell (a variable, a function's result).
struct UnresolvedCall {
    ResCall call = ResCall::String;
    int member = 0;
    int line = 0;
    QString expression;
    QString reason; // "GetId is not a constant or Enum member of the project"
};

struct CodeReferences {
    QList<CodeMember> members;
    QList<ResourceUse> uses;            // in member order, then by line
    QList<UnresolvedCall> unresolved;   // the same order
    QStringList warnings;               // members that were not read, and why

    // The LoadResString uses of a string ID, as indices into uses.
    QList<qsizetype> stringUses(qint32 id) const { return m_stringUses.value(id); }
    int stringUseCount(qint32 id) const { return int(m_stringUses.value(id).size()); }
    // The string IDs that LoadResString calls use, ascending.
    QList<qint32> usedStringIds() const;

    // Builds the index from uses; called by the readers.
    void index();

private:
    QHash<qint32, QList<qsizetype>> m_stringUses;
};

// One member's code as text, for findReferences.
struct MemberCode {
    CodeMember member;
    QString text; // the whole file, property block included
};

// Every resource call of the members, resolved against the constants and
// Enum members they declare. Public constants of standard modules and public
// Enums are seen by every member.
CodeReferences findReferences(const QList<MemberCode> &members);

} // namespace coderefs
