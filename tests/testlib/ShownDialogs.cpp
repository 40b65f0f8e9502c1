#include "tests/testlib/ShownDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <memory>

namespace {
QStringList g_failures;
}

void whenModalShown(std::function<void(QWidget &)> act, const QWidget *notThis, int timeoutMs)
{
    auto *timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QPointer<const QWidget> skip(notThis);
    const bool skipping = notThis != nullptr;
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        const bool found = modal && modal->isVisible() && (!skipping || (skip && modal != skip.data()));
        if (!found && clock->elapsed() < timeoutMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (!found) {
            g_failures.append(QStringLiteral("no modal window opened within %1 ms").arg(timeoutMs));
            return;
        }
        act(*modal);
    });
    timer->start(5);
}

QStringList takeShownDialogFailures()
{
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
