#include "platform/vbproject/ProblemList.h"

namespace vbide {

QStringList ProblemList::lines(const std::function<QString(int count, int shown)> &summary) const
{
    if (m_count <= m_first.size())
        return m_first;
    return QStringList{summary(m_count, int(m_first.size()))} + m_first;
}

QStringList limitLines(const QStringList &lines, int limit)
{
    if (lines.size() <= limit)
        return lines;
    QStringList kept = lines.mid(0, limit);
    kept.append(QStringLiteral("... and %1 more.").arg(lines.size() - limit));
    return kept;
}

} // namespace vbide
