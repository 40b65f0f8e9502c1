#pragma once

#include "platform/common/Result.h"
#include "platform/vbide/IDTExtensibility2.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>

namespace vbide {

class Addins;
class VBProject;

// One registered add-in. Writing Connect True creates its connection object
// by ProgID and calls OnConnection; False first asks the add-in whether it may
// go (IDTQueryClose), then calls OnDisconnection, destroys its tool windows and
// deletes the connection object.
class AddIn : public QObject {
    Q_OBJECT
public:
    AddIn(const QString &progId, Addins *parent);
    ~AddIn() override;

    QString ProgId() const { return m_progId; }
    QString Guid() const;
    QString FriendlyName() const;
    QString Description() const;
    bool Connect() const { return m_object != nullptr; }
    qm::Status setConnect(bool connect);
    // The connection object while connected; nullptr otherwise.
    QObject *Object() const { return m_object; }
    Addins *Collection() const;

    std::uint32_t LoadBehavior() const;
    qm::Status setLoadBehavior(std::uint32_t behavior);
    // The last failure to load or unload; empty when none.
    QString LastError() const { return m_lastError; }

    // Asks the connected add-in whether the projects may close (and, with
    // `unloading`, the add-in be unloaded). True when it agrees or does not ask.
    bool queryClose(const QList<VBProject *> &projects, bool unloading);

    // Host side: connect with a given mode; disconnect without asking.
    qm::Status connect(ext_ConnectMode mode);
    qm::Status disconnect(ext_DisconnectMode mode);
    // Calls fn on the connection interface, keeping the host running if it throws.
    qm::Status call(const char *what, const std::function<void(IDTExtensibility2 &)> &fn);

signals:
    void connectChanged(bool connected);

private:
    QString m_progId;
    QPointer<QObject> m_object;
    QString m_lastError;
    bool m_busy = false;
};

} // namespace vbide
