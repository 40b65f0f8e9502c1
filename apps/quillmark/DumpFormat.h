#pragma once

#include "platform/resutil/ResResource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringView>

#include <cstddef>
#include <string_view>

namespace cli {

// Builds the output of dump from strings handed in sorted by locale, then ID.
// JSON: {"strings": [[locale, id, "text"], ...], "resources": [{...}, ...]},
// the other resources in file order.
// Lines: LOCALE<TAB>ID<TAB>TEXT, where a backslash, tab, line feed and carriage
// return are written \\ \t \n \r, other control characters and unpaired
// surrogates \uXXXX.
class DumpWriter {
public:
    // sizeHint: about how many bytes the output will take.
    DumpWriter(bool json, qint64 sizeHint);
    ~DumpWriter();
    DumpWriter(const DumpWriter &) = delete;
    DumpWriter &operator=(const DumpWriter &) = delete;
    void addString(qint64 localeId, qint64 id, QStringView text);
    // The whole output; valid while the writer lives.
    QByteArrayView finish(const QList<resutil::ResResource> &others);

private:
    // Where to write at least bytes more (m_size moves only once written).
    char *room(std::size_t bytes);
    void append(std::string_view text);
    void appendString(QStringView text);
    void appendName(const resutil::ResName &name);
    void appendNumber(qint64 value);

    bool m_json;
    bool m_first = true;
    char *m_buffer = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace cli
