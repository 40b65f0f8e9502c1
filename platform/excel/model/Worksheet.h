#pragma once

#include "platform/common/Result.h"
#include "platform/excel/model/Cells.h"
#include "platform/excel/model/Range.h"
#include "platform/excel/model/SheetData.h"

#include <QString>

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <optional>

namespace excel {

class Workbook;

namespace backend {
class SpilledStream;
namespace biff {
class SstWriter;
}
}

// A sheet's part as SheetStream wrote it: deflated (in memory, or spilled
// to a temporary file), with its size and CRC-32. For a new .xls file
// (`biff`) the same fields hold the sheet's BIFF8 substream as it is, its
// texts in the shared string table `strings` of the workbook's streamed sheets.
struct StreamedPart {
    QByteArray deflated;
    std::shared_ptr<const backend::SpilledStream> spilled;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    bool biff = false;
    std::shared_ptr<backend::biff::SstWriter> strings;
};

// One worksheet of a workbook.
class Worksheet {
public:
    Worksheet(Workbook &book, const QString &name) : m_book(book), m_name(name) {}
    Worksheet(const Worksheet &) = delete;
    Worksheet &operator=(const Worksheet &) = delete;

    QString Name() const { return m_name; }
    // Refuses what Excel refuses: an empty name, more than 31 characters, any
    // of : \ / ? * [ ], an apostrophe first or last, and the name of another
    // sheet of the workbook (letter case ignored).
    qm::Status SetName(const QString &name);

    excel::Cells &Cells() { return m_cells; }
    const excel::Cells &Cells() const { return m_cells; }
    // The smallest rectangle holding all used cells; A1 alone for an empty sheet.
    Range UsedRange() const;

    Workbook &Parent() const { return m_book; }

    // For the file back ends.
    SheetData &data() { return m_data; }
    const SheetData &data() const { return m_data; }
    // The format every cell without its own has (set for all cells at once).
    std::uint32_t defaultXf() const { return m_defaultXf; }
    void setDefaultXf(std::uint32_t xf) { m_defaultXf = xf; }
    // True once contents or formats changed: saving rewrites the sheet.
    bool modified() const { return m_modified; }
    void setModified() { m_modified = true; }
    // A sheet of a file is read when Worksheets.Item first gives it out;
    // until then it holds nothing. A sheet that could not be read keeps
    // its failure and gives it again.
    bool loaded() const { return m_loaded; }
    void setLoaded(bool loaded) { m_loaded = loaded; }
    std::optional<qm::Error> loadFailure;
    // Where the sheet came from in its file (empty for a new sheet).
    QString sourcePart;     // .xlsx: zip member name
    QString sourceRelId;    // .xlsx: relationship id in the workbook
    QString sourceName;     // the name as read
    int sourceIndex = -1;   // position in the file's sheet list
    // A new sheet whose cells SheetStream wrote straight into its part: it
    // holds none in memory, and a new .xlsx file gets that part.
    std::shared_ptr<const StreamedPart> streamedPart;

private:
    Workbook &m_book;
    QString m_name;
    excel::Cells m_cells{*this};
    SheetData m_data;
    std::uint32_t m_defaultXf = 0;
    bool m_modified = false;
    bool m_loaded = true;
};

} // namespace excel
