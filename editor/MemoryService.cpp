#include "editor/MemoryService.h"

#include "memory/OptionalMemory.h"

#include <QMetaObject>
#include <QPointer>

MemoryService::MemoryService(QString path, QObject *parent) : QObject(parent), m_path(std::move(path))
{
    m_worker = std::thread([this] { run(); });
}

MemoryService::~MemoryService()
{
    m_cancel = true;
    m_lastLookup = ~quint64(0);
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void MemoryService::post(Task task)
{
    ++m_pending;
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
}

void MemoryService::answer(std::function<void()> emitter)
{
    QMetaObject::invokeMethod(this, [this, emitter = std::move(emitter)] {
        emitter();
        --m_pending;
    }, Qt::QueuedConnection);
}

void MemoryService::run()
{
    // Opened on this thread at its first use, never on the window's.
    memory::OptionalMemory store(m_path);
    for (;;) {
        Task task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task(store);
        const QString told = store.takeNotice();
        if (!told.isEmpty()) {
            ++m_pending;  // an answer of its own, which answer() counts off
            answer([this, told] { emit notice(told); });
        }
    }
}

void MemoryService::remember(std::vector<memory::Entry> entries)
{
    if (entries.empty())
        return;
    post([this, entries = std::move(entries)](memory::OptionalMemory &store) {
        if (memory::TranslationMemory *tm = store.get()) {
            if (auto added = tm->add(entries); !added)
                store.failed(added.error());
        }
        answer([] {});
    });
}

void MemoryService::rememberBatches(std::function<std::vector<memory::Entry>()> next)
{
    std::vector<memory::Entry> entries = next();
    if (entries.empty())
        return;
    post([this, entries = std::move(entries), next = std::move(next)](memory::OptionalMemory &store) mutable {
        bool stored = false;
        if (memory::TranslationMemory *tm = store.get()) {
            if (auto added = tm->add(entries); added)
                stored = true;
            else
                store.failed(added.error());
        }
        entries = {};
        answer([this, next = std::move(next), stored]() mutable {
            if (stored)
                rememberBatches(std::move(next));
        });
    });
}

quint64 MemoryService::lookup(qint32 sourceLocale, qint32 targetLocale, const QString &text)
{
    const quint64 serial = ++m_lastLookup;
    post([=, this](memory::OptionalMemory &store) {
        std::vector<memory::Suggestion> found;
        bool available = false;
        if (serial == m_lastLookup) {
            if (memory::TranslationMemory *tm = store.get()) {
                auto looked = tm->lookup(sourceLocale, targetLocale, text);
                if (looked) {
                    found = std::move(looked.value());
                    available = true;
                } else {
                    store.failed(looked.error());
                }
            }
        }
        answer([this, serial, found = std::move(found), available] {
            if (serial == m_lastLookup)
                emit suggestionsFound(serial, found, available);
        });
    });
    return serial;
}

void MemoryService::pretranslate(qint32 sourceLocale, qint32 targetLocale, std::vector<Missing> texts, int minMatch)
{
    m_cancel = false;
    post([=, this, texts = std::move(texts)](memory::OptionalMemory &store) {
        std::vector<Filled> filled;
        memory::TranslationMemory *tm = store.get();
        const int total = int(texts.size());
        int done = 0;
        for (const Missing &missing : texts) {
            if (!tm || m_cancel)
                break;
            auto best = tm->lookup(sourceLocale, targetLocale, missing.source, {minMatch, 1});
            if (!best) {
                store.failed(best.error());
                tm = store.get();
                continue;
            }
            if (!best.value().empty())
                filled.push_back({missing.id, best.value().front().text, best.value().front().percent});
            // A step of the bar per hundredth, not per text.
            if (++done % std::max(1, total / 100) == 0)
                answer([this, done, total] { emit pretranslateProgress(done, total); });
        }
        const bool cancelled = m_cancel;
        const bool available = tm != nullptr;
        answer([this, filled = std::move(filled), cancelled, available] { emit pretranslated(filled, cancelled, available); });
    });
}
