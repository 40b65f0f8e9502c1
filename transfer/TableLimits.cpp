#include "transfer/TableLimits.h"

#include "platform/excel/model/Constants.h"
#include "platform/resutil/ResStrings.h"
#include "uistrings/LgvStringModule.h"

#include <QSet>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace ExcelTransfer {

TableSize exportedSize(const resutil::ResStrings &strings)
{
    if (strings.Count() == 0)
        return {};
    QSet<qint32> ids;
    QSet<qint32> locales;
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        ids.insert(entry.id);
        locales.insert(entry.localeId);
    });
    return {2 + ids.size(), 1 + locales.size()};
}

SheetLimits limitsOf(excel::FileFormat format)
{
    switch (format) {
    case excel::FileFormat::Xls:
        return {excel::XlsMaxRows, excel::XlsMaxColumns, QStringLiteral(".xls")};
    case excel::FileFormat::Xlsx:
        break;
    }
    return {excel::XlsxMaxRows, excel::XlsxMaxColumns, QStringLiteral(".xlsx")};
}

excel::FileFormat formatOf(const excel::Workbook &book)
{
    return book.fromFile() ? book.sourceFormat : excel::formatForFileName(book.FullName());
}

QList<UiText> tableDoesNotFitTexts(TableSize size, excel::FileFormat format)
{
    const SheetLimits limits = limitsOf(format);
    if (size.rows <= limits.rows && size.columns <= limits.columns)
        return {};
    const auto number = [](qint64 value) { return QString::number(value); };
    QList<UiText> texts{uiString(570, {number(size.rows), number(size.columns), limits.name, number(limits.rows),
                                       number(limits.columns)})};
    // The formats a new file can have, largest last.
    const SheetLimits largest = limitsOf(excel::FileFormat::Xlsx);
    if (format != excel::FileFormat::Xlsx && size.rows <= largest.rows && size.columns <= largest.columns)
        texts.append(uiString(571, {largest.name, number(largest.rows), number(largest.columns)}));
    else
        texts.append(uiString(572));
    return texts;
}

QString tableDoesNotFit(TableSize size, excel::FileFormat format)
{
    QStringList lines;
    for (const UiText &text : tableDoesNotFitTexts(size, format))
        lines.append(SubstituteParameters(lgv_string(text.id), text.values));
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace ExcelTransfer
