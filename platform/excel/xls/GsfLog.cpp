#include "platform/excel/xls/GsfLog.h"

#include <glib.h>

#include <cstring>

namespace excel::backend {

namespace {

thread_local GsfLogCapture *current = nullptr;
GLogFunc previous = nullptr;
gpointer previousData = nullptr;

// libgsf logs under "libgsf:msole", "libgsf:zip", ...: no fixed domain list
// catches them all, so the default handler sees every domain.
void collect(const gchar *domain, GLogLevelFlags level, const gchar *message, gpointer)
{
    if (!current) {
        // libgsf outside a read or write of ours: nothing to report it with.
        if (domain && std::strncmp(domain, "libgsf", 6) == 0)
            return;
        if (previous)
            previous(domain, level, message, previousData);
        return;
    }
    const char *kind = (level & G_LOG_LEVEL_ERROR) ? "error" : (level & G_LOG_LEVEL_CRITICAL) ? "critical"
                       : (level & G_LOG_LEVEL_WARNING) ? "warning" : "note";
    current->add(QStringLiteral("%1 %2: %3").arg(QString::fromUtf8(domain ? domain : "glib"), QLatin1String(kind),
                                                 QString::fromUtf8(message ? message : "")));
}

} // namespace

void routeGsfLog()
{
    previous = g_log_set_default_handler(collect, nullptr);
    if (previous == collect)
        previous = nullptr;
    previousData = nullptr;
}

GsfLogCapture::GsfLogCapture() : m_outer(current)
{
    current = this;
}

GsfLogCapture::~GsfLogCapture()
{
    current = m_outer;
    if (m_outer)
        m_outer->m_messages << m_messages;
}

QString GsfLogCapture::detail() const
{
    if (m_messages.isEmpty())
        return QString();
    constexpr int shown = 3;
    QString text = m_messages.mid(0, shown).join(QStringLiteral("; "));
    if (m_messages.size() > shown)
        text = QStringLiteral("%1 (and %2 more)").arg(text, QString::number(m_messages.size() - shown));
    return QStringLiteral("; the OLE2 library reports: ") + text;
}

} // namespace excel::backend
