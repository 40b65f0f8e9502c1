#include "platform/excel/model/FormatBackEnds.h"

#include <array>

namespace excel::backend {
namespace {

std::array<FormatBackEnd, 2> g_backEnds;

FormatBackEnd &slot(FileFormat format) { return g_backEnds[format == FileFormat::Xls ? 1 : 0]; }

} // namespace

void install(FileFormat format, const FormatBackEnd &backEnd) { slot(format) = backEnd; }

qm::Result<const FormatBackEnd *> backEndOf(FileFormat format)
{
    const FormatBackEnd &backEnd = slot(format);
    if (!backEnd.read)
        return qm::makeError(QStringLiteral("The %1 back end is not started: workbooks are opened through the application")
                                 .arg(QLatin1String(format == FileFormat::Xls ? ".xls" : ".xlsx")));
    return &backEnd;
}

} // namespace excel::backend
