#pragma once

#include <QByteArray>

namespace resutil {
class ResFile;
}

namespace cli {

// {"strings": [[locale, id, "text"], ...], "resources": [{...}, ...]}, strings
// sorted by locale then ID, the other resources in file order.
QByteArray dumpJson(const resutil::ResFile &file);
// One line per string: LOCALE<TAB>ID<TAB>TEXT, sorted the same way; in TEXT a
// backslash, tab, line feed and carriage return are written \\ \t \n \r, and
// other control characters and unpaired surrogates as \uXXXX.
QByteArray dumpText(const resutil::ResFile &file);

} // namespace cli
