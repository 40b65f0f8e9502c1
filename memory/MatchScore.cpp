#include "memory/MatchScore.h"

#include <algorithm>
#include <vector>

namespace memory {

int editDistance(QStringView a, QStringView b, int bound)
{
    if (a.size() < b.size())
        std::swap(a, b);
    const qsizetype n = a.size(), m = b.size();
    if (n - m > bound)
        return bound + 1;
    if (m == 0)
        return int(n);
    // Only the band of width 2 * bound + 1 around the diagonal can stay within bound.
    const int over = bound + 1;
    std::vector<int> previous(std::size_t(m + 1)), current(std::size_t(m + 1));
    for (qsizetype j = 0; j <= m; ++j)
        previous[std::size_t(j)] = int(std::min<qsizetype>(j, over));
    for (qsizetype i = 1; i <= n; ++i) {
        const qsizetype from = std::max<qsizetype>(1, i - bound), to = std::min<qsizetype>(m, i + bound);
        current[0] = int(std::min<qsizetype>(i, over));
        if (from > 1)
            current[std::size_t(from - 1)] = over;
        int best = current[0];
        for (qsizetype j = from; j <= to; ++j) {
            const int substitute = previous[std::size_t(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1);
            const int remove = previous[std::size_t(j)] + 1;
            const int insert = current[std::size_t(j - 1)] + 1;
            current[std::size_t(j)] = std::min({substitute, remove, insert, over});
            best = std::min(best, current[std::size_t(j)]);
        }
        if (to < m)
            current[std::size_t(to + 1)] = over;
        if (best >= over)
            return over;
        std::swap(previous, current);
    }
    return std::min(previous[std::size_t(m)], over);
}

int matchPercent(QStringView a, QStringView b, int atLeast)
{
    if (a == b)
        return 100;
    const qsizetype longer = std::max(a.size(), b.size());
    // The most edits that still score atLeast.
    const int bound = int(longer - (qint64(atLeast) * longer + 99) / 100);
    const int distance = editDistance(a, b, std::max(bound, 0));
    if (distance > bound)
        return 0;
    const int percent = int(qint64(100) * (longer - distance) / longer);
    return std::min(percent, 99);
}

} // namespace memory
