#include "excel/TransferRun.h"

#include "excel/CaptionedProgressBar.h"
#include "platform/win32/Interaction.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <exception>
#include <future>
#include <limits>
#include <thread>
#include <utility>

namespace {

constexpr qint64 kUnset = std::numeric_limits<qint64>::min();

// One progress number, written by the worker, read by the window.
class ProgressNumber {
public:
    void set(int value) { m_value.store(value, std::memory_order_relaxed); }
    // True (with the number) when it was set and differs from `shown`.
    bool changed(qint64 &shown) const
    {
        const qint64 now = m_value.load(std::memory_order_relaxed);
        if (now == kUnset || now == shown)
            return false;
        shown = now;
        return true;
    }

private:
    std::atomic<qint64> m_value{kUnset};
};

} // namespace

// What the worker reports, kept until the window shows it.
class TransferRun::Channel : public TransferFeedback {
public:
    explicit Channel(TransferRun &run) : m_run(run) {}

    void setProgressCaption(const QString &caption) override
    {
        const QMutexLocker lock(&m_captionMutex);
        m_caption = caption;
        m_captionChanged = true;
    }
    void setProgressMaximum(int maximum) override { m_maximum.set(maximum); }
    void setProgressMinimum(int minimum) override { m_minimum.set(minimum); }
    void setProgressValue(int value) override { m_value.set(value); }
    bool stopRequested() override { return m_stop.load(std::memory_order_relaxed); }

    // The worker waits until the window has shown the message and it was read.
    void showMessage(const QString &text) override
    {
        std::promise<void> read;
        std::future<void> done = read.get_future();
        QMetaObject::invokeMethod(
            &m_window,
            [this, &text, &read] {
                if (!stopRequested()) {
                    m_run.showProgress();
                    win32::interaction().msgBox(text, win32::vbOKOnly, m_run.m_messageTitle);
                }
                read.set_value();
            },
            Qt::QueuedConnection);
        done.wait();
    }

    void show(CaptionedProgressBar &bar)
    {
        {
            const QMutexLocker lock(&m_captionMutex);
            if (m_captionChanged) {
                bar.SetCaption(m_caption);
                m_captionChanged = false;
            }
        }
        if (m_minimum.changed(m_shownMinimum))
            bar.SetMin(int(m_shownMinimum));
        if (m_maximum.changed(m_shownMaximum))
            bar.SetMax(int(m_shownMaximum));
        if (m_value.changed(m_shownValue))
            bar.SetValue(int(m_shownValue));
    }

    TransferRun &m_run;
    QObject m_window; // lives on the window's thread: the target of the worker's requests
    std::atomic<bool> m_stop{false};

private:
    QMutex m_captionMutex;
    QString m_caption;
    bool m_captionChanged = false;
    ProgressNumber m_minimum;
    ProgressNumber m_maximum;
    ProgressNumber m_value;
    qint64 m_shownMinimum = kUnset;
    qint64 m_shownMaximum = kUnset;
    qint64 m_shownValue = kUnset;
};

TransferRun::TransferRun(CaptionedProgressBar &bar, QString messageTitle)
    : m_bar(bar), m_messageTitle(std::move(messageTitle))
{
}

TransferRun::~TransferRun() = default;

void TransferRun::requestStop()
{
    if (m_channel)
        m_channel->m_stop.store(true, std::memory_order_relaxed);
}

bool TransferRun::stopRequested() const
{
    return m_channel && m_channel->m_stop.load(std::memory_order_relaxed);
}

void TransferRun::showProgress()
{
    if (m_channel)
        m_channel->show(m_bar);
}

qm::Status TransferRun::run(const Job &job)
{
    m_channel = std::make_unique<Channel>(*this);
    m_running = true;
    std::atomic<bool> finished{false};
    qm::Status status;
    QEventLoop loop;

    QTimer ticks;
    ticks.setInterval(UpdateIntervalMs);
    QObject::connect(&ticks, &QTimer::timeout, &m_channel->m_window, [this] { showProgress(); });
    ticks.start();

    std::thread worker([&] {
        try {
            status = job(*m_channel);
        } catch (const std::exception &error) {
            status = qm::makeError(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            status = qm::makeError(QStringLiteral("The transfer failed unexpectedly."));
        }
        finished.store(true);
        QMetaObject::invokeMethod(&m_channel->m_window, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    bool closing = false;
    while (!finished.load()) {
        if (closing) {
            // Event loops no longer run once the application quits; the
            // worker's requests are still answered until it has stopped.
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            continue;
        }
        loop.exec();
        // Left before the job ended: the application is closing, so the job stops.
        if (!finished.load()) {
            closing = true;
            requestStop();
        }
    }
    worker.join();
    ticks.stop();
    // The worker's last request (the loop's quit) may still be queued.
    QCoreApplication::removePostedEvents(&m_channel->m_window);
    showProgress();
    m_running = false;
    return status;
}
