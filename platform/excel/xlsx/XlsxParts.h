#pragma once

#include "platform/excel/model/CellFormat.h"
#include "platform/excel/model/SheetData.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace excel {
class Workbook;
class Worksheet;
}

// The parts of an .xlsx package we write, one function per part.
namespace excel::backend {

class ByteSink;

inline const char *const MainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline const char *const RelNamespace = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline const char *const RelTypeBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
inline const char *const WorksheetContentType = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";

QByteArray contentTypesXml(const QStringList &sheetParts);
QByteArray rootRelsXml();
QByteArray workbookXml(const Workbook &book);
QByteArray workbookRelsXml(int sheetCount);
QByteArray stylesXml(const CellFormatTable &formats);
// One <xf> of cellXfs.
QByteArray xfXml(const CellFormat &format);
// The sheet part, written in one pass, rows in ascending order. Texts go to
// the end of `strings` (each use its own entry, so no lookup is needed), or
// inline when it is null.
QByteArray sheetXml(const Worksheet &sheet, std::vector<QString> *strings, bool selected);
QByteArray sharedStringsXml(const std::vector<QString> &strings);
// The pieces of a sheet part, for writers that make it a piece at a time:
// everything up to <sheetData>, one cell (columnName of its column given),
// and the end.
void appendSheetStart(ByteSink &out, const Worksheet &sheet, const SheetData::Bounds &bounds, bool selected);
void appendCell(ByteSink &out, const QByteArray &column, int row, const Cell &cell, std::vector<QString> *strings);
inline const char SheetEnd[] = "</sheetData></worksheet>";

// "A" for 1, "AB" for 28.
QByteArray columnName(int column);

} // namespace excel::backend
