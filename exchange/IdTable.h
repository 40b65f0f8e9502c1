#pragma once

#include <QHash>

#include <vector>

namespace exchange {

// A value per string ID or locale ID. The IDs of a resource file fit 16 bits:
// a table holds those, found without hashing, and only other keys go to a hash.
template <typename T>
class IdTable {
public:
    explicit IdTable(T none = T()) : m_none(none), m_dense(kDense, none) {}

    T &operator[](qint32 key)
    {
        if (key >= 0 && key < kDense)
            return m_dense[size_t(key)];
        auto found = m_other.find(key);
        if (found == m_other.end())
            found = m_other.insert(key, m_none);
        return found.value();
    }
    T value(qint32 key) const
    {
        if (key >= 0 && key < kDense)
            return m_dense[size_t(key)];
        return m_other.value(key, m_none);
    }

private:
    static constexpr qint32 kDense = 0x10000;
    T m_none;
    std::vector<T> m_dense;
    QHash<qint32, T> m_other;
};

} // namespace exchange
