// Visual Basic code: whatever the bytes, the reader finds the same calls twice,
// on lines the text has, with an ID in range or a name, and every call either
// resolves or is told apart with a reason.
#include "coderefs/CodeReferences.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// The same text as a module and as a form, so that its constants are seen
// from a second member and twice declared.
QList<coderefs::MemberCode> membersOf(const QString &text)
{
    coderefs::MemberCode module;
    module.member.name = QStringLiteral("modFuzz");
    module.member.type = vbide::vbext_ct_StdModule;
    module.text = text;
    coderefs::MemberCode form = module;
    form.member.name = QStringLiteral("frmFuzz");
    form.member.type = vbide::vbext_ct_VBForm;
    return {module, form};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(fuzz::bytesOf(data, size));
    const coderefs::CodeReferences first = coderefs::findReferences(membersOf(text));
    const coderefs::CodeReferences second = coderefs::findReferences(membersOf(text));
    if (first.uses.size() != second.uses.size() || first.unresolved.size() != second.unresolved.size())
        fuzz::broken("the same code reads differently twice");
    // Every line break counts, whichever kind it is (CRLF, LF, CR).
    const int lines = int(text.count(u'\n') + text.count(u'\r') - text.count(QStringLiteral("\r\n"))) + 1;
    int stringUses = 0;
    for (const coderefs::ResourceUse &use : first.uses) {
        const coderefs::CodeMember &member = first.members[use.member];
        if (use.line < member.codeStartLine || use.line > lines)
            fuzz::broken("a use lies outside the code", QString::number(use.line));
        if (use.id < 0 ? use.name.isEmpty() : use.id > 0xFFFF || !use.name.isEmpty())
            fuzz::broken("a use has no ID", use.expression);
        if (use.expression.isEmpty())
            fuzz::broken("a use has no expression");
        stringUses += use.call == coderefs::ResCall::String ? 1 : 0;
    }
    for (const coderefs::UnresolvedCall &call : first.unresolved) {
        if (call.reason.isEmpty())
            fuzz::broken("an unresolved call gives no reason", call.expression);
        if (call.line < first.members[call.member].codeStartLine || call.line > lines)
            fuzz::broken("an unresolved call lies outside the code", QString::number(call.line));
    }
    int counted = 0;
    for (const qint32 id : first.usedStringIds())
        counted += first.stringUseCount(id);
    if (counted != stringUses)
        fuzz::broken("the use counts do not add up");
    return 0;
}
