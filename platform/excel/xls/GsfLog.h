#pragma once

#include <QString>
#include <QStringList>

// What libgsf and GLib say about a damaged OLE2 container ("CRITICAL",
// "WARNING") belongs to the failure it explains, not on standard error.
namespace excel::backend {

// Once per process, before any other libgsf call.
void routeGsfLog();

// Collects the library's messages on this thread while it lives.
class GsfLogCapture {
public:
    GsfLogCapture();
    ~GsfLogCapture();
    GsfLogCapture(const GsfLogCapture &) = delete;
    GsfLogCapture &operator=(const GsfLogCapture &) = delete;

    const QStringList &messages() const { return m_messages; }
    // "; the OLE2 library reports: ..." for a failure's message, or nothing.
    QString detail() const;
    void add(const QString &message) { m_messages << message; }

private:
    GsfLogCapture *m_outer;
    QStringList m_messages;
};

} // namespace excel::backend
