#include "exchange/ExchangeFormat.h"

#include <QFileInfo>

namespace exchange {

namespace {

struct Known {
    Format format;
    const char *name;
    const char *filter;
};

const Known kKnown[] = {
    {Format::Xlsx, "xlsx", "Excel workbooks (*.xlsx)"},
    {Format::Xls, "xls", "Excel 97-2003 workbooks (*.xls)"},
    {Format::Ods, "ods", "OpenDocument spreadsheets (*.ods)"},
    {Format::Csv, "csv", "Comma-separated text (*.csv)"},
    {Format::Tsv, "tsv", "Tab-separated text (*.tsv *.tab *.txt)"},
    {Format::Rc, "rc", "Resource scripts (*.rc)"},
    {Format::Xliff2, "xliff", "XLIFF 2.0 (*.xlf *.xliff)"},
    {Format::Xliff12, "xliff12", nullptr},
    {Format::Po, "po", "Gettext PO files (*.po)"},
};

} // namespace

std::optional<Format> formatForFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        return Format::Xlsx;
    if (suffix == QLatin1String("xls"))
        return Format::Xls;
    if (suffix == QLatin1String("ods"))
        return Format::Ods;
    if (suffix == QLatin1String("csv"))
        return Format::Csv;
    if (suffix == QLatin1String("tsv") || suffix == QLatin1String("tab") || suffix == QLatin1String("txt"))
        return Format::Tsv;
    if (suffix == QLatin1String("rc"))
        return Format::Rc;
    if (suffix == QLatin1String("xlf") || suffix == QLatin1String("xliff"))
        return Format::Xliff2;
    if (suffix == QLatin1String("po"))
        return Format::Po;
    return std::nullopt;
}

std::optional<Format> formatForName(const QString &name)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("xliff2") || lower == QLatin1String("xliff20"))
        return Format::Xliff2;
    if (lower == QLatin1String("xliff1.2"))
        return Format::Xliff12;
    for (const Known &known : kKnown)
        if (lower == QLatin1String(known.name))
            return known.format;
    return std::nullopt;
}

QString formatName(Format format)
{
    for (const Known &known : kKnown)
        if (known.format == format)
            return QString::fromLatin1(known.name);
    return QString();
}

QStringList formatNames()
{
    QStringList names;
    for (const Known &known : kKnown)
        names << QString::fromLatin1(known.name);
    return names;
}

QStringList fileDialogFilters()
{
    QStringList filters;
    QStringList patterns;
    for (const Known &known : kKnown) {
        if (!known.filter)
            continue;
        const QString filter = QString::fromLatin1(known.filter);
        filters << filter;
        const qsizetype open = filter.indexOf(u'(');
        patterns << filter.mid(open + 1, filter.size() - open - 2);
    }
    filters.prepend(QStringLiteral("All exchange formats (%1)").arg(patterns.join(u' ')));
    return filters;
}

} // namespace exchange
