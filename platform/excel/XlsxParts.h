#pragma once

#include "platform/excel/CellFormat.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace excel {
class Workbook;
class Worksheet;
}

// The parts of an .xlsx package we write, one function per part.
namespace excel::backend {

inline const char *const MainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline const char *const RelNamespace = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline const char *const RelTypeBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
inline const char *const WorksheetContentType = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";

// The texts of all string cells, each once, in order of first use.
class SharedStrings {
public:
    int index(const QString &text);
    int count() const { return int(m_texts.size()); }
    int uses() const { return m_uses; }
    const std::vector<QString> &texts() const { return m_texts; }

private:
    QHash<QString, int> m_index;
    std::vector<QString> m_texts;
    int m_uses = 0;
};

QByteArray contentTypesXml(const QStringList &sheetParts);
QByteArray rootRelsXml();
QByteArray workbookXml(const Workbook &book);
QByteArray workbookRelsXml(int sheetCount);
QByteArray stylesXml(const CellFormatTable &formats);
QByteArray sharedStringsXml(const SharedStrings &strings);
// One <xf> of cellXfs.
QByteArray xfXml(const CellFormat &format);
// The sheet part; texts go into `strings`, or inline when it is null.
QByteArray sheetXml(const Worksheet &sheet, SharedStrings *strings, bool selected);

// "A" for 1, "AB" for 28.
QByteArray columnName(int column);

} // namespace excel::backend
