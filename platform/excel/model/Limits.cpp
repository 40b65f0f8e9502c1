#include "platform/excel/model/FormatBackEnds.h"
#include "platform/excel/model/Constants.h"

namespace excel::backend {

QString cellName(int row, int column)
{
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

QString excerpt(const QString &text)
{
    constexpr int shown = 40;
    return text.size() <= shown ? text : text.left(shown) + QStringLiteral("...");
}

qm::Status checkLimits(const Workbook &book, FileFormat format)
{
    const bool xls = format == FileFormat::Xls;
    const int maxRows = xls ? XlsMaxRows : XlsxMaxRows;
    const int maxColumns = xls ? XlsMaxColumns : XlsxMaxColumns;
    const char *kind = xls ? ".xls" : ".xlsx";
    for (int i = 1; i <= book.Worksheets().Count(); ++i) {
        const Worksheet &sheet = *book.Worksheets().at(i);
        const bool kept = xls ? sheet.sourceIndex >= 0 && book.fromFile() && book.sourceFormat == FileFormat::Xls
                              : !sheet.sourcePart.isEmpty();
        if (!sheet.modified() && kept)
            continue; // copied as it is
        const SheetData &data = sheet.data();
        if (data.rowCount() > maxRows)
            return qm::makeError(QStringLiteral("sheet \"%1\" uses row %2, but an %3 sheet has at most %4 rows")
                                     .arg(sheet.Name(), QString::number(data.rowCount()), QLatin1String(kind), QString::number(maxRows)));
        for (int r = 1; r <= data.rowCount(); ++r) {
            for (const Cell &c : data.row(r)) {
                if (c.column > maxColumns)
                    return qm::makeError(QStringLiteral("sheet \"%1\" uses column %2 (cell %3), but an %4 sheet has at most %5 columns")
                                             .arg(sheet.Name(), QString::number(c.column), cellName(r, c.column), QLatin1String(kind),
                                                  QString::number(maxColumns)));
                if (c.value.isText() && c.value.text().size() > MaxTextLength)
                    return qm::makeError(QStringLiteral("cell %1 of sheet \"%2\": the text \"%3\" has %4 characters; a cell holds at most %5")
                                             .arg(cellName(r, c.column), sheet.Name(), excerpt(c.value.text()),
                                                  QString::number(c.value.text().size()), QString::number(MaxTextLength)));
            }
        }
    }
    if (xls && book.formats().size() > 4000)
        return qm::makeError(QStringLiteral("the workbook uses %1 cell formats, more than an .xls file can hold (4000)").arg(book.formats().size()));
    return {};
}

} // namespace excel::backend
