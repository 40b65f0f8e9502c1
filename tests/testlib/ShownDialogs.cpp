#include "tests/testlib/ShownDialogs.h"

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <memory>

namespace {
QStringList g_failures;
QList<QPointer<QTimer>> g_waiting; // each whenModalShown that has not found its window
}

void whenModalShown(std::function<void(QWidget &)> act, const QWidget *notThis)
{
    // Looked for while events are handled, as long as it takes: inside the
    // modal window's own loop once it runs.
    auto *timer = new QTimer(qApp);
    QPointer<const QWidget> skip(notThis);
    const bool skipping = notThis != nullptr;
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        const bool found = modal && modal->isVisible() && (!skipping || (skip && modal != skip.data()));
        if (!found)
            return;
        timer->stop();
        timer->deleteLater();
        g_waiting.removeAll(timer);
        act(*modal);
    });
    g_waiting.append(timer);
    timer->start(5);
}

QStringList takeShownDialogFailures()
{
    for (const QPointer<QTimer> &timer : std::as_const(g_waiting)) {
        if (!timer)
            continue;
        g_failures.append(QStringLiteral("no modal window opened while it was awaited"));
        timer->stop();
        timer->deleteLater();
    }
    g_waiting.clear();
    QStringList failures;
    failures.swap(g_failures);
    return failures;
}

void pressKey(QWidget &window, int key)
{
    QWidget *target = window.focusWidget() ? window.focusWidget() : &window;
    QTest::keyClick(target, Qt::Key(key));
}

void clickCloseBox(QWidget &window)
{
    // QWindow::close goes through the platform as the title bar's button does.
    if (QWindow *handle = window.windowHandle())
        handle->close();
}
