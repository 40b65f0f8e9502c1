#include "reviewstate/StateChecks.h"

#include "reviewstate/ReviewStates.h"

namespace reviewstate {

int characterCount(QStringView text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++count)
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    return count;
}

std::vector<StateProblem> checkStates(ReviewStates &states)
{
    states.refresh(true);
    const qint32 source = states.sourceLanguage();
    std::vector<StateProblem> problems;
    for (const Cell &cell : states.cells()) {
        const qint32 locale = localeOf(cell.key);
        if (locale == source || !cell.has(Cell::HasText))
            continue;
        const qint32 id = idOf(cell.key);
        if (cell.state == State::NeedsReview)
            problems.push_back(StateProblem{locale, id, StateProblem::Outdated, 0, 0});
        if (const int limit = states.maxLength(id); limit > 0) {
            const int length = characterCount(states.textOf(cell.key));
            if (length > limit)
                problems.push_back(StateProblem{locale, id, StateProblem::TooLong, length, limit});
        }
    }
    return problems;
}

const char *problemKey(StateProblem::Kind kind)
{
    return kind == StateProblem::Outdated ? "outdated" : "too-long";
}

QString describe(const StateProblem &problem)
{
    if (problem.kind == StateProblem::Outdated)
        return QStringLiteral("the source text changed since it was translated");
    return QStringLiteral("%1 characters, at most %2").arg(QString::number(problem.length), QString::number(problem.limit));
}

} // namespace reviewstate
