// .xlsx files as raw bytes: see WorkbookRoundTrip.h for the property.
#include "tests/fuzz/WorkbookRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = fuzz::scratch(QStringLiteral("input.xlsx"));
    fuzz::writeBytes(input, fuzz::bytesOf(data, size));
    fuzz::checkRoundTrip(input, fuzz::scratch(QStringLiteral("saved.xlsx")));
    return 0;
}
