#pragma once

#include <QString>

#include <cstdint>
#include <map>
#include <vector>

namespace excel {

// The part of a cell format the object model uses. Formats read from a file
// keep their index, so cells of untouched sheets keep their formatting.
struct CellFormat {
    int numFmtId = 0;
    bool quotePrefix = false;
    bool alignLeft = false;
    bool operator==(const CellFormat &) const = default;
};

// The workbook's cell formats (index 0 is the default) and number format codes.
class CellFormatTable {
public:
    CellFormatTable() { m_formats.push_back({}); }

    const CellFormat &at(std::uint32_t xf) const
    {
        static const CellFormat none;
        return xf < m_formats.size() ? m_formats[xf] : m_formats.empty() ? none : m_formats[0];
    }
    std::uint32_t size() const { return std::uint32_t(m_formats.size()); }
    // The index of a format like `format`, appended when the table has none.
    std::uint32_t find(const CellFormat &format);
    void append(const CellFormat &format) { m_formats.push_back(format); }
    // Empties the table, default format included (readers fill it from the file).
    void clear() { m_formats.clear(); }
    // Formats read from the file; later ones were added by us.
    std::uint32_t fileCount = 1;

    // Custom number format codes by id (ids below 164 are built in).
    std::map<int, QString> numFmts;
    QString numFmtCode(int id) const;

private:
    std::vector<CellFormat> m_formats;
};

} // namespace excel
