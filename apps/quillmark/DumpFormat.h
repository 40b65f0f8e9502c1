#pragma once

#include "platform/resutil/ResResource.h"

#include <QByteArray>
#include <QList>
#include <QStringView>

#include <string>

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
    void addString(qint64 localeId, qint64 id, QStringView text);
    QByteArray finish(const QList<resutil::ResResource> &others);

private:
    bool m_json;
    bool m_first = true;
    std::string m_out;
};

} // namespace cli
