#include "platform/excel/Backends.h"
#include "platform/excel/Constants.h"

#include <QDate>
#include <QFile>

#include <freexl.h>

namespace excel::backend {

namespace {

// Number format ids for the date texts FreeXL gives back.
constexpr int DateFormat = 164, DateTimeFormat = 165, TimeFormat = 166;

double serialOf(const QDate &date, bool date1904)
{
    if (date1904)
        return double(QDate(1904, 1, 1).daysTo(date));
    // Serial 60 is the 29 February 1900 that does not exist.
    const qint64 days = QDate(1899, 12, 31).daysTo(date);
    return double(date < QDate(1900, 3, 1) ? days : days + 1);
}

double timeOf(const QString &hms)
{
    const QTime t = QTime::fromString(hms, QStringLiteral("HH:mm:ss"));
    return t.isValid() ? t.msecsSinceStartOfDay() / 86400000.0 : 0.0;
}

} // namespace

qm::Status readXls(Workbook &book, const QString &path)
{
    auto fail = [&](const QString &why) { return qm::makeError(QStringLiteral("%1: %2").arg(path, why)); };
    const void *handle = nullptr;
    const int opened = freexl_open(QFile::encodeName(path).constData(), &handle);
    if (opened != FREEXL_OK) {
        if (handle)
            freexl_close(handle);
        return fail(QStringLiteral("is not a readable .xls workbook (FreeXL error %1)").arg(opened));
    }
    struct Closer {
        const void *h;
        ~Closer() { freexl_close(h); }
    } closer{handle};

    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        return fail(QStringLiteral("is protected by a password and cannot be read"));
    if (freexl_get_info(handle, FREEXL_BIFF_DATEMODE, &info) == FREEXL_OK)
        book.date1904 = info == FREEXL_BIFF_DATEMODE_1904;
    unsigned int sheetCount = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK)
        return fail(QStringLiteral("the list of sheets cannot be read"));

    CellFormatTable &formats = book.formats();
    formats.numFmts[DateFormat] = QStringLiteral("yyyy-mm-dd");
    formats.numFmts[DateTimeFormat] = QStringLiteral("yyyy-mm-dd hh:mm:ss");
    formats.numFmts[TimeFormat] = QStringLiteral("hh:mm:ss");
    const std::uint32_t dateXf = formats.find({DateFormat, false, false});
    const std::uint32_t dateTimeXf = formats.find({DateTimeFormat, false, false});
    const std::uint32_t timeXf = formats.find({TimeFormat, false, false});
    formats.fileCount = formats.size();

    for (unsigned int s = 0; s < sheetCount; ++s) {
        const char *utf8 = nullptr;
        if (freexl_get_worksheet_name(handle, (unsigned short)s, &utf8) != FREEXL_OK || !utf8)
            return fail(QStringLiteral("the name of sheet %1 cannot be read").arg(s + 1));
        const QString name = QString::fromUtf8(utf8);
        if (book.Worksheets().find(name))
            return fail(QStringLiteral("two sheets are named \"%1\"").arg(name));
        if (freexl_select_active_worksheet(handle, (unsigned short)s) != FREEXL_OK)
            return fail(QStringLiteral("sheet \"%1\" cannot be read").arg(name));
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
            return fail(QStringLiteral("the size of sheet \"%1\" cannot be read").arg(name));
        if (rows > unsigned(XlsMaxRows) || columns > XlsMaxColumns)
            return fail(QStringLiteral("sheet \"%1\" claims %2 rows and %3 columns, more than an .xls sheet has").arg(name).arg(rows).arg(columns));
        Worksheet &sheet = book.Worksheets().append(name);
        sheet.sourceName = name;
        sheet.sourceIndex = int(s);
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue cell;
                if (freexl_get_cell_value(handle, r, c, &cell) != FREEXL_OK)
                    return fail(QStringLiteral("cell %1 of sheet \"%2\" cannot be read").arg(cellName(int(r) + 1, c + 1), name));
                Value value;
                std::uint32_t xf = 0;
                switch (cell.type) {
                case FREEXL_CELL_NULL: continue;
                case FREEXL_CELL_INT: value = Value(double(cell.value.int_value)); break;
                case FREEXL_CELL_DOUBLE: value = Value(cell.value.double_value); break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT: value = Value(QString::fromUtf8(cell.value.text_value)); break;
                case FREEXL_CELL_DATE: {
                    const QDate d = QDate::fromString(QString::fromLatin1(cell.value.text_value), Qt::ISODate);
                    value = Value(serialOf(d, book.date1904));
                    xf = dateXf;
                    break;
                }
                case FREEXL_CELL_DATETIME: {
                    const QString text = QString::fromLatin1(cell.value.text_value);
                    const QDate d = QDate::fromString(text.left(10), Qt::ISODate);
                    value = Value(serialOf(d, book.date1904) + timeOf(text.mid(11)));
                    xf = dateTimeXf;
                    break;
                }
                case FREEXL_CELL_TIME:
                    value = Value(timeOf(QString::fromLatin1(cell.value.text_value)));
                    xf = timeXf;
                    break;
                default: continue;
                }
                sheet.data().set(int(r) + 1, c + 1, value, xf);
            }
        }
    }
    return {};
}

} // namespace excel::backend
