#include "platform/excel/model/FormatBackEnds.h"

#include <array>
#include <mutex>

namespace excel::backend {
namespace {

struct Slot {
    FormatBackEnd backEnd;
    BackEndLoader load = nullptr;
};

// Workbooks are opened and saved on worker threads too.
std::mutex g_mutex;
std::array<Slot, 2> g_slots;

Slot &slot(FileFormat format) { return g_slots[format == FileFormat::Xls ? 1 : 0]; }

} // namespace

void install(FileFormat format, const FormatBackEnd &backEnd)
{
    const std::lock_guard lock(g_mutex);
    slot(format) = Slot{backEnd, nullptr};
}

void installLoader(FileFormat format, BackEndLoader load)
{
    const std::lock_guard lock(g_mutex);
    slot(format) = Slot{FormatBackEnd{}, load};
}

qm::Result<const FormatBackEnd *> backEndOf(FileFormat format)
{
    const std::lock_guard lock(g_mutex);
    Slot &installed = slot(format);
    if (!installed.backEnd.read && installed.load) {
        auto loaded = installed.load();
        if (!loaded)
            return loaded.error();
        installed.backEnd = loaded.value();
    }
    const FormatBackEnd &backEnd = installed.backEnd;
    if (!backEnd.read)
        return qm::makeError(QStringLiteral("The %1 back end is not started: workbooks are opened through the application")
                                 .arg(QLatin1String(format == FileFormat::Xls ? ".xls" : ".xlsx")));
    return &backEnd;
}

} // namespace excel::backend
