#pragma once

// The host's main window: the File menu over the open projects, the project
// explorer, the View menu over the docked windows, the "Add-Ins" menu with the
// Add-In Manager, and the docks of the add-ins' tool windows. The menu bar and
// the "Add-Ins" menu are command bars add-ins add their entries to. Every
// question and message goes through win32::interaction().

#include "platform/common/Result.h"

#include <QMainWindow>
#include <QStringList>

class QAction;
class QLabel;
class QMenu;

namespace vbide {

class ProjectExplorer;
class VBE;
class VBProject;
class Window;

class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char *Title = "Quill Host";
    static constexpr const char *ExplorerGuid = "{2B7D5C1E-6F0A-4E43-9C55-1D2A6E4F8B10}";

    explicit HostWindow(QWidget *parent = nullptr);
    ~HostWindow() override;

    VBE *vbe() const { return m_vbe; }
    ProjectExplorer *explorer() const { return m_explorer; }

    // File menu. Each returns false when nothing was done (cancelled or failed, with a message).
    // Open replaces the open projects (asking about unsaved ones); Add adds. Both take .vbp and .vbg,
    // and a .res without a project, which opens as a project of its own.
    bool openProject(const QString &fileName);
    bool addProject(const QString &fileName);
    bool removeProject(VBProject *project);
    bool saveProject(VBProject *project);
    bool renameProject(VBProject *project, const QString &newName);
    // Reads the project's file again in codePage (asking about unsaved changes
    // first), and opens it in that code page from then on.
    bool reopenWithCodePage(VBProject *project, const QByteArray &codePage);

    // Asks about every project with unsaved changes: Yes saves, No drops,
    // Cancel stops. True when the host may go on (close, open another, ...).
    bool askToSaveAll();
    // The same for the given projects, then asks the add-ins (IDTQueryClose)
    // about the work they keep for them; with `unloading` the add-ins go too.
    bool mayClose(const QList<VBProject *> &projects, bool unloading);
    // Connects the add-ins that load on start-up and tells them start-up is complete.
    void startAddIns();
    // Runs the Add-In Manager and applies the choices.
    void showAddInManager();
    // The default arrangement of the docked windows, every one shown.
    void resetLayout();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createMenus();
    void fillViewMenu();
    // The workspace shows only while no tool window is docked at a side of the main window.
    void updateWorkspace();
    void storeArrangement() const;
    void restoreArrangement();
    void fileOpen();
    void fileOpenResource();
    void fileAdd();
    void fileRemove();
    void fileSave();
    void fileRename();
    void fileReopenWithCodePage();
    QString askProjectFile(const QString &title);
    bool askToSave(VBProject *project);
    QList<VBProject *> openProjects() const;
    bool openFiles(const QString &fileName, bool exclusive);
    qm::Result<VBProject *> openOne(const QString &fileName, bool exclusive, const QByteArray &groupCodePage);
    void showError(const QString &text);
    void showWarnings(const QStringList &warnings);
    void updateActions();
    void shutDown();
    // Closes the open modal dialogs, topmost first. False when one would not close.
    bool closeModalDialogs();
    // Closes the host once every modal dialog's loop has returned.
    void closeWhenDialogsAreGone();

    VBE *m_vbe = nullptr;
    ProjectExplorer *m_explorer = nullptr;
    Window *m_explorerWindow = nullptr;
    QAction *m_removeAction = nullptr;
    QAction *m_saveAction = nullptr;
    QAction *m_renameAction = nullptr;
    QAction *m_codePageAction = nullptr;
    QMenu *m_viewMenu = nullptr;
    bool m_shutDown = false;
    int m_closeRounds = 0;  // rounds waited for modal dialogs to end, 0 when no close is pending
};

} // namespace vbide
