#include "platform/excel/model/Workbook.h"

#include "platform/common/AtomicFile.h"
#include "platform/excel/model/FormatBackEnds.h"

#include <QFileInfo>


namespace excel {

Workbook::Workbook() = default;
Workbook::~Workbook() = default;

Worksheet *Workbook::ActiveSheet() const
{
    auto first = m_sheets.Item(1);
    return first ? first.value() : nullptr;
}

void Workbook::setSheetSource(std::unique_ptr<SheetSource> source)
{
    m_source = std::move(source);
}

qm::Status Workbook::loadSheet(Worksheet &sheet)
{
    if (sheet.loaded())
        return {};
    if (sheet.loadFailure)
        return *sheet.loadFailure;
    qm::Status read = m_source ? m_source->load(sheet)
                               : qm::makeError(QStringLiteral("%1: sheet \"%2\" cannot be read: the workbook lost its file")
                                                   .arg(m_path, sheet.Name()));
    if (!read) {
        sheet.data().clear();
        sheet.loadFailure = read.error();
        return read;
    }
    sheet.setLoaded(true);
    return {};
}

bool Workbook::visitSheet(const Worksheet &sheet, CellVisitor &visitor)
{
    if (sheet.loaded() || sheet.loadFailure || !m_source)
        return false;
    return m_source->visit(sheet, visitor);
}

FileFormat formatForFileName(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive) ? FileFormat::Xls : FileFormat::Xlsx;
}

qm::Status Workbook::SaveAs(const QString &fileName, const CommitCheck &commitWanted)
{
    if (fileName.isEmpty())
        return qm::makeError(QStringLiteral("No file name was given to save the workbook to"));
    // A workbook read from a file keeps its format, as in Excel.
    return write(fileName, fromFile() ? sourceFormat : formatForFileName(fileName), commitWanted);
}

qm::Status Workbook::Save(const CommitCheck &commitWanted)
{
    if (m_path.isEmpty())
        return qm::makeError(QStringLiteral("The new workbook has no file name yet; save it with SaveAs first"));
    return write(m_path, fromFile() ? sourceFormat : formatForFileName(m_path), commitWanted);
}

// A new file goes into the file as it is made: nothing reads its bytes
// afterwards, so they are not kept.
qm::Status Workbook::writeNew(const QString &fileName, const CommitCheck &commitWanted)
{
    const FileFormat format = formatForFileName(fileName); // a new workbook's is its name's
    auto backEnd = backend::backEndOf(format);
    if (!backEnd)
        return qm::makeError(QStringLiteral("%1: %2").arg(fileName, backEnd.errorString()));
    qm::AtomicFile file(fileName);
    if (auto opened = file.open(); !opened)
        return opened;
    const qm::Status written = backEnd.value()->writeNew(*this, file);
    if (!written) {
        file.cancel();
        return file.problem().isEmpty() ? qm::makeError(QStringLiteral("%1: %2").arg(fileName, written.errorString())) : written;
    }
    return commit(file, fileName, commitWanted);
}

bool Workbook::changedOnDisk() const
{
    if (m_path.isEmpty() || !sourceStamp.exists)
        return false;
    return !qm::fileUnchanged(m_path, sourceStamp, fromFile() ? &sourceBytes : nullptr);
}

qm::Status Workbook::commit(qm::AtomicFile &file, const QString &fileName, const CommitCheck &commitWanted)
{
    if (commitWanted && !commitWanted()) {
        file.cancel();
        return qm::makeError(QStringLiteral("%1: the save was stopped; the file is as it was").arg(fileName));
    }
    const QString path = QFileInfo(fileName).absoluteFilePath();
    if (path == m_path && changedOnDisk()) {
        file.cancel();
        return qm::makeError(QStringLiteral("%1: another program has changed the file since it was read; it was not "
                                            "written over. Open it again and repeat the save")
                                 .arg(fileName));
    }
    if (auto committed = file.commit(); !committed)
        return committed;
    m_path = path;
    sourceStamp = qm::FileStamp::of(path);
    return {};
}

qm::Status Workbook::write(const QString &fileName, FileFormat format, const CommitCheck &commitWanted)
{
    if (m_sheets.Count() == 0)
        return qm::makeError(QStringLiteral("%1: a workbook needs at least one sheet").arg(fileName));
    for (int i = 1; i <= m_sheets.Count(); ++i) {
        const auto &part = m_sheets.at(i)->streamedPart;
        if (part && !part->biff && format != FileFormat::Xlsx)
            return qm::makeError(QStringLiteral("%1: sheet \"%2\" was written as an .xlsx stream and is saved only as .xlsx")
                                     .arg(fileName, m_sheets.at(i)->Name()));
        if (part && part->biff && (format != FileFormat::Xls || fromFile()))
            return qm::makeError(QStringLiteral("%1: sheet \"%2\" was written as an .xls stream and is saved only as a new .xls file")
                                     .arg(fileName, m_sheets.at(i)->Name()));
    }
    if (auto limits = backend::checkLimits(*this, format); !limits)
        return qm::makeError(QStringLiteral("%1: %2").arg(fileName, limits.errorString()));
    if (!fromFile())
        return writeNew(fileName, commitWanted);
    auto backEnd = backend::backEndOf(format);
    if (!backEnd)
        return qm::makeError(QStringLiteral("%1: %2").arg(fileName, backEnd.errorString()));
    qm::Result<QByteArray> bytes = backEnd.value()->write(*this);
    if (!bytes)
        return qm::makeError(QStringLiteral("%1: %2").arg(fileName, bytes.errorString()));
    qm::AtomicFile file(fileName);
    if (auto opened = file.open(); !opened)
        return opened;
    if (auto written = file.write(bytes.value()); !written)
        return written;
    if (auto committed = commit(file, fileName, commitWanted); !committed)
        return committed;
    // An .xlsx file we updated is the base of the next save; a file written
    // wholly from the model is rewritten wholly again.
    if (fromFile()) {
        sourceBytes = bytes.value();
        if (auto relinked = backEnd.value()->relink(*this); !relinked)
            return qm::makeError(QStringLiteral("%1: %2").arg(fileName, relinked.errorString()));
    }
    return {};
}

} // namespace excel
