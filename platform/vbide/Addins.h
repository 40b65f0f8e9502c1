#pragma once

#include "platform/vbide/IDTExtensibility2.h"

#include <QList>
#include <QObject>
#include <QString>

namespace vbide {

class AddIn;
class VBE;
class VBProject;

// The registered add-ins (HKCU\Software\Microsoft\Visual Basic\6.0\Addins),
// sorted by ProgID.
class Addins : public QObject {
    Q_OBJECT
public:
    explicit Addins(VBE *vbe);
    ~Addins() override;

    int Count() const { return int(m_items.size()); }
    // 1-based; nullptr out of range.
    AddIn *Item(int index) const;
    // By ProgID, without case; nullptr when none.
    AddIn *Item(const QString &progId) const;
    QList<AddIn *>::const_iterator begin() const { return m_items.cbegin(); }
    QList<AddIn *>::const_iterator end() const { return m_items.cend(); }
    // Reads the registered add-ins again; known ones keep their objects.
    void Update();

    // Host side: start-up and shutdown. Failures are kept on each AddIn (LastError()).
    void connectAtStartup();
    void startupComplete();
    void beginShutdown();
    // Asks every connected add-in, in the order they connected, whether the
    // projects may close (with `unloading`: and the add-ins be unloaded). False
    // as soon as one refuses; the rest are not asked.
    bool queryClose(const QList<VBProject *> &projects, bool unloading);
    void disconnectAll(ext_DisconnectMode mode);

    VBE *vbe() const { return m_vbe; }

signals:
    void listChanged();

private:
    friend class AddIn;
    void notifyUpdate(AddIn *changed);

    VBE *m_vbe;
    QList<AddIn *> m_items;
    QList<AddIn *> m_connected;  // in the order they connected
};

} // namespace vbide
