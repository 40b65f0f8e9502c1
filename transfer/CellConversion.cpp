#include "transfer/CellConversion.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace ExcelTransfer {

namespace {

// `shown` is the number as the message names it; formatted only on failure.
template<class Shown>
qm::Result<qint32> roundToLong(double number, const Shown &shown)
{
    // nearbyint rounds in the current mode, which is to nearest, halves to even.
    const double rounded = std::nearbyint(number);
    if (!std::isfinite(rounded) || rounded < double(std::numeric_limits<qint32>::min())
        || rounded > double(std::numeric_limits<qint32>::max()))
        return qm::makeError(QStringLiteral("the number %1 is outside the range of a 32-bit integer").arg(shown()));
    return qint32(rounded);
}

} // namespace

qm::Result<qint32> toLong(const excel::Value &value)
{
    switch (value.type()) {
    case excel::Value::Type::Empty:
        return 0;
    case excel::Value::Type::Number:
        return roundToLong(value.number(), [&] { return QString::number(value.number(), 'g', 17); });
    case excel::Value::Type::Text: {
        const QString text = value.text().trimmed();
        bool ok = false;
        const double number = QLocale::c().toDouble(text, &ok);
        if (!ok || text.isEmpty())
            return qm::makeError(QStringLiteral("the text \"%1\" is not a number").arg(value.text()));
        return roundToLong(number, [&] { return text; });
    }
    case excel::Value::Type::Bool:
        return qm::makeError(QStringLiteral("the cell holds the Boolean %1, not a number")
                                 .arg(value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE")));
    case excel::Value::Type::Error:
        return qm::makeError(
            QStringLiteral("the cell holds the error %1, not a number").arg(excel::errorText(value.errorCode())));
    }
    return qm::makeError(QStringLiteral("the cell holds a value of unknown kind"));
}

QString applyApostropheRule(const QString &text)
{
    if (text.startsWith(QLatin1Char('\'')) || text.startsWith(QLatin1Char('=')))
        return QLatin1Char('\'') + text;
    return text;
}

QString cellAddress(int row, int column)
{
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

} // namespace ExcelTransfer
