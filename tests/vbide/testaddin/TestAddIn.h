#pragma once

// An add-in for the host's tests. It writes what happens to it into the
// application's "testAddInLog" property (a QStringList), and throws from
// OnConnection when the application's "testAddInThrow" property is true.

#include "platform/vbide/IDTExtensibility2.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace vbide {
class CommandBarControl;
class Window;
}

namespace testaddin {

inline constexpr const char *ConnectProgId = "QuillTest.Connect";
inline constexpr const char *DocumentProgId = "QuillTest.Document";
inline constexpr const char *PlainProgId = "QuillTest.Plain";
inline constexpr const char *WindowGuid = "{5A1F2B3C-4D5E-4F60-8172-93A4B5C6D7E8}";

void log(const QString &entry);

class Connect : public QObject, public vbide::IDTExtensibility2 {
    Q_OBJECT
    Q_INTERFACES(vbide::IDTExtensibility2)
public:
    ~Connect() override;
    void OnConnection(vbide::VBE *Application, vbide::ext_ConnectMode ConnectMode, vbide::AddIn *AddInInst,
                      QVariantList &custom) override;
    void OnDisconnection(vbide::ext_DisconnectMode RemoveMode, QVariantList &custom) override;
    void OnAddInsUpdate(QVariantList &custom) override;
    void OnStartupComplete(QVariantList &custom) override;
    void OnBeginShutdown(QVariantList &custom) override;

private:
    QPointer<vbide::Window> m_window;
    QPointer<vbide::CommandBarControl> m_button;
};

class Document : public QWidget {
    Q_OBJECT
public:
    Document();
    ~Document() override;
};

} // namespace testaddin
