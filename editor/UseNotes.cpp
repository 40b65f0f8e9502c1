#include "editor/UseNotes.h"

#include "platform/resutil/ResFile.h"
#include "uistrings/LgvStringModule.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kUsedOnce = 845;          // "Used once: %0"
constexpr int kUsedInPlaces = 846;      // "Used in %0 places: %1"
constexpr int kNoUse = 847;             // "No code of the project uses this string"
constexpr int kPlace = 848;             // "%0 line %1"
constexpr int kMissingIdRule = 849;     // "Missing ID"
constexpr int kUnusedRule = 850;        // "Unused"
constexpr int kInNoLanguage = 851;      // "Used in %0, but in no language of the file"
constexpr int kNotInSource = 852;       // "Used in %0, but not in the source language (%1)"
constexpr int kMorePlaces = 853;        // "%0 and %1 more places"
constexpr int kStatus = 854;            // "The code of %0: ..."
constexpr int kMostPlacesListed = 20;
} // namespace

void UseNotes::setReferences(std::shared_ptr<const coderefs::CodeReferences> references)
{
    m_references = std::move(references);
    clearProblems();
}

const coderefs::CodeReferences &UseNotes::references() const
{
    static const coderefs::CodeReferences none;
    return m_references ? *m_references : none;
}

void UseNotes::clearProblems()
{
    m_sourceName.clear();
    m_problems.clear();
    m_missing = 0;
    m_unused = 0;
}

void UseNotes::check(const resutil::ResFile &file, qint32 sourceLocale, const QString &sourceName)
{
    clearProblems();
    m_sourceName = sourceName;
    if (!m_references)
        return;
    for (checks::ReferenceProblem &problem :
         checks::checkReferences(file.Strings(), file.OtherResources(), sourceLocale, *m_references, m_checkUnused)) {
        (problem.rule == checks::ReferenceRule::MissingId ? m_missing : m_unused) += 1;
        if (problem.call == coderefs::ResCall::String && problem.id >= 0)
            m_problems.insert(problem.id, std::move(problem));
    }
}

int UseNotes::useCount(qint32 id) const
{
    return m_references ? m_references->stringUseCount(id) : 0;
}

QString UseNotes::placeText(const coderefs::CodeReferences &references, const coderefs::ResourceUse &use)
{
    const coderefs::CodeMember &member = references.members[use.member];
    const QString name = member.writtenPath.isEmpty() ? member.name : member.writtenPath;
    return SubstituteParameters(lgv_string(kPlace), name, QString::number(use.line));
}

QString UseNotes::usesText(qint32 id) const
{
    if (!m_references)
        return {};
    const QList<qsizetype> uses = m_references->stringUses(id);
    if (uses.isEmpty())
        return lgv_string(kNoUse);
    QStringList places;
    for (qsizetype use : uses) {
        if (places.size() == kMostPlacesListed) {
            places.append(QStringLiteral("..."));
            break;
        }
        places.append(placeText(*m_references, m_references->uses[use]));
    }
    const QString list = places.join(QStringLiteral(", "));
    if (uses.size() == 1)
        return SubstituteParameters(lgv_string(kUsedOnce), list);
    return SubstituteParameters(lgv_string(kUsedInPlaces), QString::number(uses.size()), list);
}

QString UseNotes::problemText(const checks::ReferenceProblem &problem) const
{
    if (problem.rule == checks::ReferenceRule::Unused)
        return lgv_string(kUnusedRule) + QStringLiteral(": ") + lgv_string(kNoUse);
    QString where;
    if (!problem.uses.isEmpty()) {
        where = placeText(*m_references, m_references->uses[problem.uses.first()]);
        if (problem.uses.size() > 1)
            where = SubstituteParameters(lgv_string(kMorePlaces), where, QString::number(problem.uses.size() - 1));
    }
    const QString what =
        problem.localeId != 0
            ? SubstituteParameters(lgv_string(kNotInSource), where, m_sourceName)
            : SubstituteParameters(lgv_string(kInNoLanguage), where);
    return lgv_string(kMissingIdRule) + QStringLiteral(": ") + what;
}

QString UseNotes::problemsText(qint32 id) const
{
    const auto found = m_problems.constFind(id);
    return found == m_problems.cend() ? QString() : problemText(*found);
}

std::vector<qint32> UseNotes::missingIds() const
{
    std::vector<qint32> ids;
    for (const checks::ReferenceProblem &problem : m_problems) {
        if (problem.rule == checks::ReferenceRule::MissingId && problem.localeId == 0)
            ids.push_back(problem.id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

QString UseNotes::statusText(const QString &projectName) const
{
    if (!m_references)
        return {};
    return SubstituteParameters(lgv_string(kStatus), {projectName, QString::number(m_references->usedStringIds().size()),
                                                      QString::number(m_references->uses.size()),
                                                      QString::number(m_missing), QString::number(m_unused),
                                                      QString::number(m_references->unresolved.size())});
}
