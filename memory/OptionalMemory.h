#pragma once

#include "memory/TranslationMemory.h"

#include <QString>

#include <memory>

namespace memory {

// The memory as the tools use it: never required. It is opened at the first
// use; when it is missing, locked or damaged, the reason is told once (one
// line, from takeNotice) and the work goes on without it. A damaged database
// is moved aside, never deleted.
class OptionalMemory {
public:
    explicit OptionalMemory(QString path = TranslationMemory::defaultPath(), int busyTimeoutMs = 3000);

    // The open memory, or nullptr when it cannot be used now.
    TranslationMemory *get();
    // Called with what a call on get()'s memory returned: a damaged database
    // is closed and moved aside, and the memory is not used again; a busy one
    // is tried again at the next get().
    void failed(const qm::Error &error);

    // Why the memory is not used, the first time it is asked; empty after that
    // or when nothing went wrong.
    QString takeNotice();

private:
    void notice(const QString &text);

    QString m_path;
    int m_busyTimeoutMs;
    std::unique_ptr<TranslationMemory> m_memory;
    bool m_givenUp = false;
    QString m_notice;
    bool m_noticeTaken = false;
};

} // namespace memory
