#pragma once

// The state file beside NAME.res: UTF-8 text, one line per entry, so that a
// person can read it and version control diffs and merges it line by line.
//
//   quillmark-review-states<TAB>1<TAB>source=2057
//   *<TAB>105<TAB>comment=Title of the main window<TAB>max-length=30<TAB>max-width=240
//   1031<TAB>105<TAB>needs-review<TAB>1a2b3c4d<TAB>5e6f7a8b<TAB>note=Bitte kürzen
//
// The header names the format version and the source language. Lines for a
// string ID as a whole ("*" for the locale) come first, by ID; then one line
// per (locale, string ID), by locale, then ID: the state, the hash of the
// source text the translation was made from and the hash of the translation
// itself (8 hex digits each, "-" for none; see TextHash.h), then optional
// name=value fields. Values escape \, tab, line feed and carriage return as
// \\, \t, \n and \r. Fields and header fields this version does not know are
// kept as they are.

#include "platform/common/Result.h"
#include "reviewstate/StateTable.h"

#include <QByteArrayView>

#include <functional>

namespace reviewstate {

inline constexpr int kStateFormatVersion = 1;

// Reads a whole state file; path names it in a failure ("PATH: line 7: ...").
qm::Result<StateTable> parseStateFile(QByteArrayView bytes, const QString &path);
QByteArray writeStateFile(const StateTable &table);
// The same bytes handed to `put` in pieces; stops at the first failure of put.
qm::Status writeStateFile(const StateTable &table, const std::function<qm::Status(QByteArrayView)> &put);
// Calls visit(cell) for each cell line in key order until visit returns false.
using CellWalk = std::function<void(const std::function<bool(const Cell &)> &visit)>;
// The same with the cell lines `cells` gives in place of table.cells (the
// table's fields still go with the cells of their keys).
qm::Status writeStateFile(const StateTable &table, const CellWalk &cells,
                          const std::function<qm::Status(QByteArrayView)> &put);
// One cell's line after its locale and ID: state, hashes, then fields (may be null).
void appendCellLine(QByteArray &out, const Cell &cell, const QByteArray *fields);

QByteArray escapeValue(const QString &value);
QString unescapeValue(QByteArrayView value);

} // namespace reviewstate
