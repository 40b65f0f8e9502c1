#pragma once

// Problems met while reading a file, kept as a count and the first few, so
// that a file with thousands of them makes one short message.

#include <QString>
#include <QStringList>

#include <functional>

namespace vbide {

class ProblemList {
public:
    static constexpr int Shown = 10;

    // `describe` is called only for the problems that are kept.
    template<class Describe>
    void add(Describe describe)
    {
        ++m_count;
        if (m_first.size() < Shown)
            m_first.append(describe());
    }
    int count() const { return m_count; }
    // Every problem, or when there are more than Shown: the summary line made
    // from the count and the number shown, then the first ones.
    QStringList lines(const std::function<QString(int count, int shown)> &summary) const;

private:
    int m_count = 0;
    QStringList m_first;
};

// Lines for one message box: at most `limit`, the rest counted in a last line.
QStringList limitLines(const QStringList &lines, int limit);

} // namespace vbide
