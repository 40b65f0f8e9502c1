#include "tests/testlib/EventRounds.h"

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>

namespace testlib {

bool waitUntil(const std::function<bool()> &condition, int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        if (condition())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return condition();
}

bool waitForExposed(QWidget *widget)
{
    return waitUntil([widget] {
        const QWindow *window = widget->window()->windowHandle();
        return window && window->isExposed();
    });
}

bool waitForActive(QWidget *widget)
{
    return waitUntil([widget] {
        const QWindow *window = widget->window()->windowHandle();
        return window && window->isActive();
    });
}

} // namespace testlib
