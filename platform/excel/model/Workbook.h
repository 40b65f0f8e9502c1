#pragma once

#include "platform/common/FileStamp.h"
#include "platform/common/Result.h"
#include "platform/excel/model/CellFormat.h"
#include "platform/excel/model/SheetSource.h"
#include "platform/excel/model/Worksheets.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace qm {
class AtomicFile;
}

namespace excel {

enum class FileFormat { Xlsx, Xls };

// One workbook: new (Workbooks.Add) or read from a file (Workbooks.Open).
// Saving a workbook read from a file rewrites only the sheets that changed;
// everything else in the file is kept as it was.
class Workbook {
public:
    Workbook();
    ~Workbook();
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    excel::Worksheets &Worksheets() { return m_sheets; }
    const excel::Worksheets &Worksheets() const { return m_sheets; }
    // The first sheet (the only one of a new workbook), read if need be; null
    // when there is none or it cannot be read.
    Worksheet *ActiveSheet() const;

    // The file it was read from or last saved to; empty for a new workbook.
    QString FullName() const { return m_path; }

    // Asked once the new file is written, just before it replaces the old
    // one: false abandons the save, and the old file stays as it was.
    using CommitCheck = std::function<bool()>;

    // Writes the workbook to fileName, atomically, in the format its
    // extension names (.xls: BIFF8, anything else: .xlsx). Refuses, before
    // writing, what the format cannot hold.
    qm::Status SaveAs(const QString &fileName, const CommitCheck &commitWanted = {});
    // Writes the workbook back to FullName in its own format.
    qm::Status Save(const CommitCheck &commitWanted = {});
    // Whether another program has written FullName since it was read or
    // last saved here. Saving over such a file is refused: the workbook
    // would put back what was there before.
    bool changedOnDisk() const;

    // For the back ends.
    CellFormatTable &formats() { return m_formats; }
    const CellFormatTable &formats() const { return m_formats; }
    bool date1904 = false;
    // The file as read; saving into it keeps what it does not change.
    FileFormat sourceFormat = FileFormat::Xlsx;
    QByteArray sourceBytes;
    // The file as it was when sourceBytes were read from it.
    qm::FileStamp sourceStamp;
    bool fromFile() const { return !m_path.isEmpty() && !sourceBytes.isEmpty(); }
    void setFullName(const QString &path) { m_path = path; }
    // Where the sheets not read yet come from; replaced when the file is.
    void setSheetSource(std::unique_ptr<SheetSource> source);
    // Reads the sheet from the source if it has not been read yet.
    qm::Status loadSheet(Worksheet &sheet);
    // Hands the cells of a sheet not read yet to `visitor`, reading nothing
    // into it; false where only loadSheet can read it (see SheetSource::visit).
    bool visitSheet(const Worksheet &sheet, CellVisitor &visitor);

private:
    qm::Status write(const QString &fileName, FileFormat format, const CommitCheck &commitWanted);
    qm::Status writeNew(const QString &fileName, const CommitCheck &commitWanted);
    // Commits file unless the save was stopped meanwhile; the workbook is then fileName's.
    qm::Status commit(qm::AtomicFile &file, const QString &fileName, const CommitCheck &commitWanted);

    excel::Worksheets m_sheets{*this};
    CellFormatTable m_formats;
    QString m_path;
    std::unique_ptr<SheetSource> m_source;
};

// The format a new file of that name gets: .xls for "*.xls", else .xlsx.
FileFormat formatForFileName(const QString &fileName);

} // namespace excel
