#pragma once

// The translation memory as the editor uses it: on a worker thread of its
// own, so the window never waits for the database. Work is done in the order
// it is asked for; of the lookups only the last one asked is answered, so
// moving through the grid never builds a queue.

#include "memory/TranslationMemory.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace memory {
class OptionalMemory;
}

class MemoryService : public QObject {
    Q_OBJECT
public:
    struct Missing {
        qint32 id;
        QString source;
    };
    struct Filled {
        qint32 id;
        QString text;
        int percent;
    };

    explicit MemoryService(QString path = memory::TranslationMemory::defaultPath(), QObject *parent = nullptr);
    // Adds what was asked to be remembered; drops lookups and pre-translations not yet done.
    ~MemoryService() override;

    void remember(std::vector<memory::Entry> entries);
    // Remembers what `next` gives, a batch at a time: each batch is asked
    // for on the window's thread once the one before is stored, so a large
    // file is never held twice. An empty batch, or a memory that cannot be
    // used, ends it.
    void rememberBatches(std::function<std::vector<memory::Entry>()> next);
    // The serial that suggestionsFound will carry for this lookup.
    quint64 lookup(qint32 sourceLocale, qint32 targetLocale, const QString &text);
    // The best match of at least minMatch percent for each text; answered by pretranslated().
    void pretranslate(qint32 sourceLocale, qint32 targetLocale, std::vector<Missing> texts, int minMatch);
    void cancelPretranslate() { m_cancel = true; }
    // Work asked for and not answered yet.
    bool busy() const { return m_pending > 0; }

signals:
    // available is false when the memory cannot be used.
    void suggestionsFound(quint64 serial, const std::vector<memory::Suggestion> &suggestions, bool available);
    void pretranslateProgress(int done, int total);
    void pretranslated(const std::vector<MemoryService::Filled> &filled, bool cancelled, bool available);
    // Why the memory is not used: once, in one line.
    void notice(const QString &text);

private:
    using Task = std::function<void(memory::OptionalMemory &)>;
    void post(Task task);
    void run();
    // Runs `emitter` on the window's thread.
    void answer(std::function<void()> emitter);

    QString m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task> m_tasks;
    bool m_stopping = false;
    std::atomic<int> m_pending{0};
    std::atomic<quint64> m_lastLookup{0};
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
};
