#include "platform/excel/model/Value.h"

namespace excel {

namespace {
struct ErrorName {
    CellError code;
    const char *text;
};
constexpr ErrorName errorNames[] = {
    {CellError::Null, "#NULL!"}, {CellError::Div0, "#DIV/0!"}, {CellError::Value, "#VALUE!"},
    {CellError::Ref, "#REF!"},   {CellError::Name, "#NAME?"},  {CellError::Num, "#NUM!"},
    {CellError::NA, "#N/A"},
};
} // namespace

QString errorText(CellError error)
{
    for (const auto &e : errorNames)
        if (e.code == error)
            return QString::fromLatin1(e.text);
    return QStringLiteral("#N/A");
}

bool errorFromText(const QString &text, CellError *error)
{
    for (const auto &e : errorNames) {
        if (text == QLatin1String(e.text)) {
            *error = e.code;
            return true;
        }
    }
    return false;
}

} // namespace excel
