#pragma once

#include "transfer/TransferFeedback.h"
#include "platform/common/Result.h"

#include <functional>
#include <memory>

class CaptionedProgressBar;

// Runs one export or import on a worker thread while the calling (window)
// thread goes on handling events, so the window stays responsive and Cancel
// is seen at once. The job's progress reaches the bar at a human rate, its
// messages are shown as message boxes on the window's thread, and a stop
// request ends it at its next cell.
//
// While the job runs, it alone may touch what it works on (the workbook, the
// strings it reads): the window must not change them until run() returns.
class TransferRun {
public:
    using Job = std::function<qm::Status(TransferFeedback &)>;

    // The bar is updated at most this often while the job runs.
    static constexpr int UpdateIntervalMs = 34;

    TransferRun(CaptionedProgressBar &bar, QString messageTitle);
    ~TransferRun();
    TransferRun(const TransferRun &) = delete;
    TransferRun &operator=(const TransferRun &) = delete;

    // Runs the job to its end and returns its status. The bar shows the
    // job's last progress when it returns.
    qm::Status run(const Job &job);

    bool running() const { return m_running; }
    // From the window's thread: the job stops at its next cell, and a save
    // not yet committed leaves its file as it was.
    void requestStop();
    bool stopRequested() const;

private:
    class Channel;
    void showProgress();

    CaptionedProgressBar &m_bar;
    QString m_messageTitle;
    std::unique_ptr<Channel> m_channel;
    bool m_running = false;
};
