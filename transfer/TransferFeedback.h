#pragma once

#include "platform/common/Result.h"

#include <QString>
#include <QStringList>

// What an export or import shows while it runs: the progress bar's caption,
// range and value, and the import's per-cell messages. The wizard shows them;
// the command-line tool and the tests record them.
class TransferFeedback {
public:
    virtual ~TransferFeedback() = default;

    virtual void setProgressCaption(const QString &caption) = 0;
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressMinimum(int minimum) = 0;
    virtual void setProgressValue(int value) = 0;
    // A message box with an OK button and no icon; returns once it was read.
    virtual void showMessage(const QString &text) = 0;
    // Asked before each cell and before a save is committed: true ends the
    // transfer with transferStopped(), leaving the strings and the file as
    // they were.
    virtual bool stopRequested() { return false; }
};

inline qm::Error transferStopped(std::source_location where = std::source_location::current())
{
    return qm::makeError(QStringLiteral("The transfer was stopped."), where);
}

// Keeps what a transfer reported, for the command-line tool and the tests.
class RecordingFeedback : public TransferFeedback {
public:
    void setProgressCaption(const QString &caption) override { captions.append(caption); }
    void setProgressMaximum(int maximum) override { progressMaximum = maximum; }
    void setProgressMinimum(int minimum) override { progressMinimum = minimum; }
    void setProgressValue(int value) override { progressValue = value; }
    void showMessage(const QString &text) override { messages.append(text); }

    QStringList captions;
    QStringList messages;
    int progressMaximum = 0;
    int progressMinimum = 0;
    int progressValue = 0;
};
