#include "memory/OptionalMemory.h"

namespace memory {

OptionalMemory::OptionalMemory(QString path, int busyTimeoutMs) : m_path(std::move(path)), m_busyTimeoutMs(busyTimeoutMs) {}

void OptionalMemory::notice(const QString &text)
{
    if (m_notice.isEmpty() && !m_noticeTaken)
        m_notice = text;
}

TranslationMemory *OptionalMemory::get()
{
    if (m_memory || m_givenUp)
        return m_memory.get();
    Failure why = Failure::None;
    auto opened = TranslationMemory::open(m_path, m_busyTimeoutMs, &why);
    if (!opened) {
        notice(QStringLiteral("working without the translation memory: ") + opened.errorString());
        // A locked one may be free later; anything else stays as it is for this run.
        m_givenUp = why != Failure::Busy;
        return nullptr;
    }
    m_memory = std::move(opened.value());
    return m_memory.get();
}

void OptionalMemory::failed(const qm::Error &error)
{
    if (!m_memory)
        return;
    notice(QStringLiteral("working without the translation memory: ") + error.message);
    if (m_memory->lastFailure() != Failure::Damaged)
        return;
    m_memory.reset();
    m_givenUp = true;
    auto aside = TranslationMemory::moveAside(m_path);
    if (!m_noticeTaken)
        m_notice = aside ? QStringLiteral("working without the translation memory: %1 is damaged and has been moved aside"
                                          " to %2; a new one is started next time").arg(m_path, aside.value())
                         : QStringLiteral("working without the translation memory: ") + aside.errorString();
}

QString OptionalMemory::takeNotice()
{
    if (m_noticeTaken || m_notice.isEmpty())
        return QString();
    m_noticeTaken = true;
    return std::exchange(m_notice, QString());
}

} // namespace memory
