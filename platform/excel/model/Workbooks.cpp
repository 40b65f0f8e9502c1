#include "platform/excel/model/Workbooks.h"

#include "platform/excel/model/FormatBackEnds.h"
#include "platform/excel/model/Constants.h"
#include "platform/common/InputFile.h"

#include <QFile>
#include <QFileInfo>

namespace excel {

qm::Result<Workbook *> Workbooks::Open(const QString &fileName)
{
    QFile file;
    auto opened = qm::openInputFile(file, fileName, backend::MaxFileSize, QStringLiteral("workbooks"));
    if (!opened)
        return qm::makeError(QStringLiteral("%1: cannot be opened: %2").arg(fileName, opened.errorString()));
    // Taken first: a change while the file is read shows as a change later.
    const qm::FileStamp stamp = qm::FileStamp::ofDescriptor(file.handle());
    auto content = qm::readInputFile(file, opened.value(), backend::MaxFileSize);
    if (!content)
        return qm::makeError(QStringLiteral("%1: cannot be read: %2").arg(fileName, content.errorString()));
    QByteArray bytes = std::move(content).value();
    file.close();

    auto book = std::make_unique<Workbook>();
    // The sheets are read from these bytes when they are asked for.
    book->sourceBytes = std::move(bytes);
    book->sourceStamp = stamp;
    const QByteArray &source = book->sourceBytes;
    if (source.startsWith(QByteArrayLiteral("PK\x03\x04")))
        book->sourceFormat = FileFormat::Xlsx;
    else if (source.startsWith(QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")))
        book->sourceFormat = FileFormat::Xls;
    else
        return qm::makeError(QStringLiteral("%1: is not an Excel workbook (neither .xlsx nor .xls)").arg(fileName));
    auto backEnd = backend::backEndOf(book->sourceFormat);
    if (!backEnd)
        return qm::makeError(QStringLiteral("%1: %2").arg(fileName, backEnd.errorString()));
    const qm::Status read = backEnd.value()->read(*book, source, fileName);
    if (!read)
        return read.error();
    if (book->Worksheets().Count() == 0)
        return qm::makeError(QStringLiteral("%1: the workbook has no worksheet").arg(fileName));
    book->setFullName(QFileInfo(fileName).absoluteFilePath());
    m_books.push_back(std::move(book));
    return m_books.back().get();
}

qm::Result<Workbook *> Workbooks::Add(int templateKind)
{
    if (templateKind != xlWBATWorksheet)
        return qm::makeError(QStringLiteral("Workbooks.Add: template %1 is not supported (only xlWBATWorksheet, %2)")
                                 .arg(templateKind).arg(xlWBATWorksheet));
    auto book = std::make_unique<Workbook>();
    book->Worksheets().append(QStringLiteral("Sheet1")).setModified();
    m_books.push_back(std::move(book));
    return m_books.back().get();
}

} // namespace excel
