#pragma once

#include <QString>

namespace cli {

// "dump --textconv": the file as text for git's diff, one line per string,
// sorted by string ID, then locale ID:
//   ID<TAB>LOCALE<TAB>TEXT
// (LOCALE as a tag where the locale table has one, else its number; TEXT
// escaped as dump does), then one line per other resource in file order:
//   resource<TAB>TYPE<TAB>NAME<TAB>LANGUAGE<TAB>SIZE bytes<TAB>sha256 DIGEST
// A file that cannot be read gives one line saying why, and still succeeds:
// git then shows the other versions. Returns the exit status.
int dumpTextconv(const QString &path);

} // namespace cli
