#include "checks/ReferenceChecks.h"

#include "platform/resutil/ResResource.h"
#include "platform/resutil/ResStrings.h"

#include <QSet>

#include <algorithm>

namespace checks {

namespace {

QString typeWord(const coderefs::ResourceUse &use)
{
    switch (use.typeOrdinal) {
    case 2: return QStringLiteral("bitmap");
    case 12: return QStringLiteral("cursor");
    case 14: return QStringLiteral("icon");
    default: break;
    }
    if (!use.typeName.isEmpty())
        return QStringLiteral("%1 resource").arg(use.typeName);
    if (use.typeOrdinal > 0)
        return QStringLiteral("resource of type %1").arg(use.typeOrdinal);
    return QStringLiteral("resource");
}

bool sameName(const resutil::ResName &name, qint32 id, const QString &text)
{
    if (id >= 0)
        return !name.isString && name.ordinal == id;
    return name.isString && name.name.compare(text, Qt::CaseInsensitive) == 0;
}

// Whether the file holds what a LoadResData or LoadResPicture call asks for.
bool holds(const QList<resutil::ResResource> &resources, const coderefs::ResourceUse &use)
{
    return std::any_of(resources.begin(), resources.end(), [&](const resutil::ResResource &resource) {
        if (!sameName(resource.name, use.id, use.name))
            return false;
        if (use.typeOrdinal > 0)
            return !resource.type.isString && resource.type.ordinal == use.typeOrdinal;
        if (!use.typeName.isEmpty())
            return resource.type.isString && resource.type.name.compare(use.typeName, Qt::CaseInsensitive) == 0;
        return true; // the type is not told: any resource of that name will do
    });
}

QString place(const coderefs::CodeReferences &references, qsizetype use)
{
    const coderefs::ResourceUse &at = references.uses[use];
    const coderefs::CodeMember &member = references.members[at.member];
    return QStringLiteral("%1 line %2").arg(member.writtenPath.isEmpty() ? member.name : member.writtenPath, QString::number(at.line));
}

} // namespace

const char *referenceRuleKey(ReferenceRule rule)
{
    return rule == ReferenceRule::MissingId ? "missing-id" : "unused";
}

QString describe(const ReferenceProblem &problem, const coderefs::CodeReferences &references)
{
    if (problem.rule == ReferenceRule::Unused)
        return QStringLiteral("no code of the project uses this string");
    QString where = QStringLiteral("used in %1").arg(problem.uses.isEmpty() ? QString() : place(references, problem.uses.first()));
    if (problem.uses.size() == 2)
        where += QStringLiteral(" and 1 more place");
    else if (problem.uses.size() > 2)
        where += QStringLiteral(" and %1 more places").arg(problem.uses.size() - 1);
    if (problem.call != coderefs::ResCall::String) {
        const coderefs::ResourceUse &use = references.uses[problem.uses.first()];
        return QStringLiteral("%1, but the file has no %2 %3").arg(where, typeWord(use),
                                                                  problem.id >= 0 ? QString::number(problem.id) : problem.name);
    }
    if (problem.localeId != 0)
        return QStringLiteral("%1, but the source language %2 lacks it").arg(where, QString::number(problem.localeId));
    return QStringLiteral("%1, but no language of the file has it").arg(where);
}

std::vector<ReferenceProblem> checkReferences(const resutil::ResStrings &strings,
                                              const QList<resutil::ResResource> &otherResources, qint32 sourceLocale,
                                              const coderefs::CodeReferences &references, bool unused)
{
    QSet<qint32> inAnyLanguage;
    QSet<qint32> inSource;
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if (entry.text.isEmpty())
            return;
        inAnyLanguage.insert(entry.id);
        if (entry.localeId == sourceLocale)
            inSource.insert(entry.id);
    });

    std::vector<ReferenceProblem> problems;
    for (const qint32 id : references.usedStringIds()) {
        if (inSource.contains(id))
            continue;
        ReferenceProblem problem{ReferenceRule::MissingId, coderefs::ResCall::String, id, {}, 0, references.stringUses(id)};
        if (inAnyLanguage.contains(id))
            problem.localeId = sourceLocale;
        problems.push_back(std::move(problem));
    }

    // Other resources, one problem per distinct thing asked for.
    for (qsizetype i = 0; i < references.uses.size(); ++i) {
        const coderefs::ResourceUse &use = references.uses[i];
        if (use.call == coderefs::ResCall::String || holds(otherResources, use))
            continue;
        const auto same = std::find_if(problems.begin(), problems.end(), [&](const ReferenceProblem &p) {
            if (p.call == coderefs::ResCall::String || p.id != use.id || p.name != use.name)
                return false;
            const coderefs::ResourceUse &first = references.uses[p.uses.first()];
            return first.typeOrdinal == use.typeOrdinal && first.typeName == use.typeName;
        });
        if (same != problems.end())
            same->uses.append(i);
        else
            problems.push_back(ReferenceProblem{ReferenceRule::MissingId, use.call, use.id, use.name, 0, {i}});
    }

    if (unused) {
        QList<qint32> ids = inAnyLanguage.values();
        std::sort(ids.begin(), ids.end());
        for (const qint32 id : ids) {
            if (references.stringUseCount(id) == 0)
                problems.push_back(ReferenceProblem{ReferenceRule::Unused, coderefs::ResCall::String, id, {}, 0, {}});
        }
    }
    std::stable_sort(problems.begin(), problems.end(), [](const ReferenceProblem &a, const ReferenceProblem &b) {
        // Numbers first, then names.
        if ((a.id < 0) != (b.id < 0))
            return a.id >= 0;
        if (a.id != b.id)
            return a.id < b.id;
        return a.name < b.name;
    });
    return problems;
}

} // namespace checks
