#pragma once

// The host's root object. Every object of the model is owned by the host and
// keeps its identity: the same project is always the same VBProject pointer.

#include "platform/common/Result.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QMainWindow;

namespace vbide {

class Addins;
class CodeViewer;
class CommandBars;
class Events;
class VBProjects;
class Window;
class Windows;

class VBE : public QObject {
    Q_OBJECT
public:
    // mainWindow receives the dockable tool windows; without one they float.
    explicit VBE(QMainWindow *mainWindow = nullptr, QObject *parent = nullptr);
    ~VBE() override;

    vbide::VBProjects *VBProjects() const { return m_projects; }
    vbide::CommandBars *CommandBars() const { return m_commandBars; }
    vbide::Windows *Windows() const { return m_windows; }
    // The window that has (or last had) the focus; nullptr when none.
    Window *ActiveWindow() const;
    vbide::Events *Events() const { return m_events; }
    vbide::Addins *Addins() const { return m_addins; }
    QString Version() const { return QStringLiteral("6.00"); }

    QMainWindow *mainWindow() const { return m_mainWindow; }
    // Host extension: a line for the host's status bar, e.g. what a command did;
    // shown for timeoutMs (0: until the next one).
    void ShowStatusText(const QString &text, int timeoutMs = 0);

    // Host extension: shows a member's code at a line (from 1), read-only with
    // the line marked, in the window that already shows that file or a new one.
    qm::Status ShowCode(const QString &path, int line);
    // The code windows open now.
    QList<CodeViewer *> CodeViewers() const;

signals:
    void statusTextShown(const QString &text, int timeoutMs);

private:
    QMainWindow *m_mainWindow;
    vbide::Events *m_events;
    vbide::VBProjects *m_projects;
    vbide::CommandBars *m_commandBars;
    vbide::Windows *m_windows;
    vbide::Addins *m_addins;
    QList<QPointer<CodeViewer>> m_codeViewers;
};

} // namespace vbide
