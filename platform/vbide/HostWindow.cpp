#include "platform/vbide/HostWindow.h"

#include "platform/vbide/AddIn.h"
#include "platform/vbide/AddInManagerDialog.h"
#include "platform/vbide/Addins.h"
#include "platform/vbide/CodePageDialog.h"
#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControls.h"
#include "platform/vbide/CommandBars.h"
#include "platform/vbide/ComRegistration.h"
#include "platform/vbide/Events.h"
#include "platform/vbide/HostRegistry.h"
#include "platform/vbproject/ProblemList.h"
#include "platform/vbide/ProjectExplorer.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/VBProject.h"
#include "platform/vbide/VBProjects.h"
#include "platform/vbide/VBProjectsEvents.h"
#include "platform/vbide/VbgFile.h"
#include "platform/vbproject/VbpFile.h"
#include "platform/vbide/Window.h"
#include "platform/vbide/Windows.h"
#include "platform/win32/Interaction.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

namespace vbide {

namespace {

QString title()
{
    return QLatin1String(HostWindow::Title);
}

} // namespace

HostWindow::HostWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("hostWindow"));
    setAccessibleName(title());
    setWindowTitle(title());
    setDockOptions(AnimatedDocks | AllowTabbedDocks | AllowNestedDocks);

    auto *centre = new QLabel(QStringLiteral("Open a project with File > Open Project."), this);
    centre->setObjectName(QStringLiteral("lblWorkspace"));
    centre->setAccessibleName(QStringLiteral("Workspace"));
    centre->setAlignment(Qt::AlignCenter);
    centre->setEnabled(false);
    setCentralWidget(centre);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->setAccessibleName(QStringLiteral("Status"));

    m_vbe = new VBE(this, nullptr);
    createMenus();
    connect(m_vbe, &VBE::statusTextShown, statusBar(), &QStatusBar::showMessage);
    connect(m_vbe->Windows(), &Windows::arrangementChanged, this, &HostWindow::updateWorkspace);

    // Before any dock exists, so that each takes its remembered place when it is created.
    restoreArrangement();
    m_explorer = new ProjectExplorer(m_vbe);
    m_explorerWindow = m_vbe->Windows()->addHostWindow(QStringLiteral("Project - Explorer"), m_explorer,
                                                       QLatin1String(ExplorerGuid));
    m_explorerWindow->setVisible(true);
    connect(m_explorer, &QTreeWidget::currentItemChanged, this, &HostWindow::updateActions);
    VBProjectsEvents *events = m_vbe->Events()->VBProjectsEvents();
    connect(events, &VBProjectsEvents::ItemAdded, this, &HostWindow::updateActions);
    connect(events, &VBProjectsEvents::ItemRemoved, this, &HostWindow::updateActions);
    updateActions();
    resize(1100, 720);
}

HostWindow::~HostWindow()
{
    shutDown();
    // The model goes before the window so add-ins still find their docks while they disconnect.
    delete m_vbe;
}

void HostWindow::createMenus()
{
    menuBar()->setObjectName(QStringLiteral("menuBar"));
    menuBar()->setAccessibleName(QStringLiteral("Menu Bar"));
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->setAccessibleName(QStringLiteral("File"));
    auto addAction = [&](QMenu *menu, const char *name, const QString &text, QKeySequence key, auto slot) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(key);
        action->setStatusTip(QString(text).remove(QLatin1Char('&')).remove(QStringLiteral("...")));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    addAction(file, "mnuFileOpen", QStringLiteral("&Open Project..."), QKeySequence::Open, &HostWindow::fileOpen);
    addAction(file, "mnuFileOpenResource", QStringLiteral("Open Resource &File..."), QKeySequence(),
              &HostWindow::fileOpenResource);
    addAction(file, "mnuFileAdd", QStringLiteral("A&dd Project..."), QKeySequence(), &HostWindow::fileAdd);
    m_removeAction = addAction(file, "mnuFileRemove", QStringLiteral("&Remove Project"), QKeySequence(), &HostWindow::fileRemove);
    file->addSeparator();
    // Ctrl+S belongs to the window with the focus (a tool window saves its own document).
    m_saveAction = addAction(file, "mnuFileSave", QStringLiteral("&Save Project"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                             &HostWindow::fileSave);
    m_renameAction = addAction(file, "mnuFileRename", QStringLiteral("Re&name Project..."), QKeySequence(Qt::Key_F2),
                               &HostWindow::fileRename);
    m_codePageAction = addAction(file, "mnuFileReopenCodePage", QStringLiteral("Reopen with &Code Page..."), QKeySequence(),
                                 &HostWindow::fileReopenWithCodePage);
    file->addSeparator();
    addAction(file, "mnuFileExit", QStringLiteral("E&xit"), QKeySequence::Quit, &HostWindow::close);

    m_viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    m_viewMenu->setObjectName(QStringLiteral("mnuView"));
    m_viewMenu->setAccessibleName(QStringLiteral("View"));
    connect(m_viewMenu, &QMenu::aboutToShow, this, &HostWindow::fillViewMenu);
    fillViewMenu();

    QMenu *addIns = menuBar()->addMenu(QStringLiteral("&Add-Ins"));
    addIns->setObjectName(QStringLiteral("mnuAddIns"));
    addIns->setAccessibleName(QStringLiteral("Add-Ins"));
    addAction(addIns, "mnuAddInManager", QStringLiteral("&Add-In Manager..."), QKeySequence(), &HostWindow::showAddInManager);
    addIns->addSeparator();
    CommandBar *addInsBar = m_vbe->CommandBars()->Add(QStringLiteral("Add-Ins"), addIns);

    // The menu bar itself, for add-ins that add menus of their own (before "Add-Ins", say).
    CommandBar *bar = m_vbe->CommandBars()->Add(QStringLiteral("Menu Bar"), menuBar());
    bar->Controls()->adoptMenu(file);
    bar->Controls()->adoptMenu(m_viewMenu);
    bar->Controls()->adoptMenu(addIns, addInsBar);
}

void HostWindow::fillViewMenu()
{
    // Rebuilt each time it opens: tool windows come and go with their add-ins.
    m_viewMenu->clear();
    int number = 1;
    for (Window *window : *m_vbe->Windows()) {
        QAction *show = m_viewMenu->addAction(window->Caption());
        show->setObjectName(QStringLiteral("mnuViewWindow%1").arg(number++));
        show->setCheckable(true);
        show->setChecked(window->Visible());
        show->setStatusTip(QStringLiteral("Shows or hides %1").arg(window->Caption()));
        connect(show, &QAction::triggered, window, [window](bool checked) {
            if (checked)
                window->SetFocus();
            else
                window->setVisible(false);
        });
    }
    m_viewMenu->addSeparator();
    QAction *reset = m_viewMenu->addAction(QStringLiteral("&Reset Layout"));
    reset->setObjectName(QStringLiteral("mnuViewResetLayout"));
    reset->setStatusTip(QStringLiteral("Docks the windows in their first places: the explorer at the left, the tool windows beside it"));
    connect(reset, &QAction::triggered, this, &HostWindow::resetLayout);
}

void HostWindow::resetLayout()
{
    m_vbe->Windows()->resetLayout();
}

void HostWindow::updateWorkspace()
{
    QWidget *workspace = centralWidget();
    if (!workspace || m_shutDown)
        return;
    // A tool window at a side takes the room; one docked above or below leaves it to the workspace.
    bool docked = false;
    for (Window *window : *m_vbe->Windows()) {
        QDockWidget *dock = window->dockWidget();
        if (window->Type() != vbext_wt_ToolWindow || !dock || dock->isHidden() || dock->isFloating())
            continue;
        const Qt::DockWidgetArea area = dockWidgetArea(dock);
        docked = docked || area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea;
    }
    workspace->setVisible(!docked);
}

namespace {
QString arrangementKey()
{
    return QLatin1String(HostRegistryRoot) + QStringLiteral("\\Layout");
}
} // namespace

void HostWindow::storeArrangement() const
{
    // A failure to store the arrangement only loses it; not worth a message.
    (void)reg::writeBinary(win32::HKEY_CURRENT_USER, arrangementKey(), QStringLiteral("MainWindow"), saveState());
}

void HostWindow::restoreArrangement()
{
    qm::Result<QByteArray> state = reg::readBinary(win32::HKEY_CURRENT_USER, arrangementKey(), QStringLiteral("MainWindow"));
    if (state)
        restoreState(*state);
}

void HostWindow::updateActions()
{
    const bool any = m_explorer && m_explorer->selectedProject();
    m_removeAction->setEnabled(any);
    m_saveAction->setEnabled(any);
    m_renameAction->setEnabled(any);
    m_codePageAction->setEnabled(any && !m_explorer->selectedProject()->file().resourceOnly());
    if (auto *workspace = qobject_cast<QLabel *>(centralWidget()))
        workspace->setText(m_vbe->VBProjects()->Count() > 0 ? QString()
                                                             : QStringLiteral("Open a project with File > Open Project."));
}

void HostWindow::showError(const QString &text)
{
    win32::interaction().msgBox(text, win32::vbOKOnly | win32::vbExclamation, title());
}

void HostWindow::showWarnings(const QStringList &warnings)
{
    // Each file summarises its own; a group of many projects must still fit on the screen.
    constexpr int MostLines = 24;
    if (!warnings.isEmpty())
        showError(limitLines(warnings, MostLines).join(QLatin1Char('\n')));
}

QString HostWindow::askProjectFile(const QString &dialogTitle)
{
    win32::FileDialogRequest request;
    request.title = dialogTitle;
    if (VBProject *project = m_explorer->selectedProject())
        request.initialPath = QFileInfo(project->FileName()).absolutePath();
    request.filters = {QStringLiteral("Visual Basic projects (*.vbp *.vbg)"), QStringLiteral("All files (*)")};
    request.confirmOverwrite = false;
    request.fileMustExist = true;
    return win32::interaction().getOpenFileName(request);
}

bool HostWindow::askToSave(VBProject *project)
{
    if (!project->IsDirty())
        return true;
    const int answer = win32::interaction().msgBox(
        QStringLiteral("Save changes to the project \"%1\"?\n%2").arg(project->Name(), QDir::toNativeSeparators(project->FileName())),
        win32::vbYesNoCancel | win32::vbExclamation, title());
    if (answer == win32::vbNo)
        return true;
    if (answer != win32::vbYes)
        return false;
    return saveProject(project);
}

bool HostWindow::askToSaveAll()
{
    for (VBProject *project : *m_vbe->VBProjects()) {
        if (!askToSave(project))
            return false;
    }
    return true;
}

bool HostWindow::mayClose(const QList<VBProject *> &projects, bool unloading)
{
    for (VBProject *project : projects) {
        if (!askToSave(project))
            return false;
    }
    // The add-ins last: what they keep for these projects is asked about while all can still stay open.
    return m_vbe->Addins()->queryClose(projects, unloading);
}

QList<VBProject *> HostWindow::openProjects() const
{
    QList<VBProject *> projects;
    for (VBProject *project : *m_vbe->VBProjects())
        projects.append(project);
    return projects;
}

bool HostWindow::openFiles(const QString &fileName, bool exclusive)
{
    QStringList projects{fileName};
    QStringList warnings;
    QByteArray groupCodePage;
    if (QFileInfo(fileName).suffix().compare(QLatin1String("vbg"), Qt::CaseInsensitive) == 0) {
        qm::Result<VbgFile> group = VbgFile::read(fileName);
        if (!group) {
            showError(group.errorString());
            return false;
        }
        projects = group->projects;
        warnings = group->warnings;
        groupCodePage = group->codePage;
        if (projects.isEmpty()) {
            warnings.prepend(QStringLiteral("The project group %1 lists no project that could be found.")
                                 .arg(QDir::toNativeSeparators(group->fileName)));
            showWarnings(warnings);
            return false;
        }
    }
    bool any = false;
    for (const QString &path : projects) {
        qm::Result<VBProject *> project = openOne(path, exclusive && !any, groupCodePage);
        if (!project) {
            warnings.append(project.errorString());
            continue;
        }
        any = true;
        warnings.append((*project)->LoadWarnings());
        m_explorer->selectProject(*project);
    }
    showWarnings(warnings);
    if (any)
        statusBar()->showMessage(QStringLiteral("Opened %1").arg(QDir::toNativeSeparators(fileName)), 5000);
    return any;
}

namespace {
// The code page the user chose for a project file, by its path.
QString codePagesKey()
{
    return QLatin1String(HostRegistryRoot) + QStringLiteral("\\CodePages");
}
QString codePageValueName(const QString &fileName)
{
    return QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
}
} // namespace

qm::Result<VBProject *> HostWindow::openOne(const QString &fileName, bool exclusive, const QByteArray &groupCodePage)
{
    qm::Result<QString> chosen = reg::readString(win32::HKEY_CURRENT_USER, codePagesKey(), codePageValueName(fileName));
    if (chosen && !chosen->isEmpty()) {
        qm::Result<VBProject *> project = m_vbe->VBProjects()->AddFromFile(fileName, exclusive, groupCodePage,
                                                                           chosen->toLatin1());
        if (project)
            return project;
        // Changed since, so that the choice no longer reads it: guess again.
    }
    return m_vbe->VBProjects()->AddFromFile(fileName, exclusive, groupCodePage);
}

bool HostWindow::openProject(const QString &fileName)
{
    if (!mayClose(openProjects(), false))
        return false;
    return openFiles(fileName, true);
}

bool HostWindow::addProject(const QString &fileName)
{
    return openFiles(fileName, false);
}

bool HostWindow::removeProject(VBProject *project)
{
    if (!project || !mayClose({project}, false))
        return false;
    qm::Status removed = m_vbe->VBProjects()->Remove(project);
    if (!removed) {
        showError(removed.errorString());
        return false;
    }
    return true;
}

bool HostWindow::saveProject(VBProject *project)
{
    if (!project)
        return false;
    qm::Status saved = project->Save();
    if (!saved) {
        showError(saved.errorString());
        return false;
    }
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(project->FileName())), 5000);
    return true;
}

bool HostWindow::renameProject(VBProject *project, const QString &newName)
{
    if (!project)
        return false;
    qm::Status renamed = project->setName(newName);
    if (!renamed) {
        showError(renamed.errorString());
        return false;
    }
    return true;
}

bool HostWindow::reopenWithCodePage(VBProject *project, const QByteArray &codePage)
{
    if (!project || !mayClose({project}, false))
        return false;
    qm::Result<VBProject *> reopened = m_vbe->VBProjects()->Reopen(project, codePage);
    if (!reopened) {
        showError(reopened.errorString());
        return false;
    }
    // A failure to store the choice only loses it; not worth a message.
    (void)reg::writeString(win32::HKEY_CURRENT_USER, codePagesKey(), codePageValueName((*reopened)->FileName()),
                           QString::fromLatin1(codePage));
    m_explorer->selectProject(*reopened);
    showWarnings((*reopened)->LoadWarnings());
    return true;
}

void HostWindow::fileReopenWithCodePage()
{
    VBProject *project = m_explorer->selectedProject();
    if (!project || project->file().resourceOnly())
        return;
    CodePageDialog dialog(project->FileName(), project->file().codePage(), this);
    if (win32::interaction().execDialog(dialog) != QDialog::Accepted || dialog.codePage().isEmpty())
        return;
    reopenWithCodePage(project, dialog.codePage());
}

void HostWindow::fileOpen()
{
    const QString file = askProjectFile(QStringLiteral("Open Project"));
    if (!file.isEmpty())
        openProject(file);
}

void HostWindow::fileOpenResource()
{
    win32::FileDialogRequest request;
    request.title = QStringLiteral("Open Resource File");
    if (VBProject *project = m_explorer->selectedProject())
        request.initialPath = QFileInfo(project->FileName()).absolutePath();
    request.filters = {QStringLiteral("Resource files (*.res)"), QStringLiteral("All files (*)")};
    request.confirmOverwrite = false;
    const QString file = win32::interaction().getOpenFileName(request);
    if (!file.isEmpty())
        openProject(file);
}

void HostWindow::fileAdd()
{
    const QString file = askProjectFile(QStringLiteral("Add Project"));
    if (!file.isEmpty())
        addProject(file);
}

void HostWindow::fileRemove()
{
    removeProject(m_explorer->selectedProject());
}

void HostWindow::fileSave()
{
    saveProject(m_explorer->selectedProject());
}

void HostWindow::fileRename()
{
    VBProject *project = m_explorer->selectedProject();
    if (!project)
        return;
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("frmRenameProject"));
    dialog.setAccessibleName(QStringLiteral("Rename Project"));
    dialog.setWindowTitle(QStringLiteral("Rename Project"));
    dialog.setLabelText(QStringLiteral("Project name:"));
    dialog.setTextValue(project->Name());
    if (win32::interaction().execDialog(dialog) != QDialog::Accepted)
        return;
    renameProject(project, dialog.textValue().trimmed());
}

void HostWindow::startAddIns()
{
    Addins *addins = m_vbe->Addins();
    addins->connectAtStartup();
    QStringList failures;
    for (AddIn *addIn : *addins) {
        if (!addIn->LastError().isEmpty())
            failures.append(addIn->LastError());
    }
    showWarnings(failures);
    addins->startupComplete();
}

void HostWindow::showAddInManager()
{
    Addins *addins = m_vbe->Addins();
    addins->Update();
    AddInManagerDialog dialog(addins, this);
    if (win32::interaction().execDialog(dialog) != QDialog::Accepted)
        return;
    QStringList failures;
    for (const AddInManagerDialog::Choice &choice : dialog.choices()) {
        AddIn *addIn = addins->Item(choice.progId);
        if (!addIn)
            continue;
        if (choice.loadBehavior != addIn->LoadBehavior()) {
            qm::Status stored = addIn->setLoadBehavior(choice.loadBehavior);
            if (!stored)
                failures.append(stored.errorString());
        }
        if (choice.loaded != addIn->Connect()) {
            qm::Status changed = addIn->setConnect(choice.loaded);
            if (!changed)
                failures.append(changed.errorString());
        }
    }
    showWarnings(failures);
}

void HostWindow::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    storeArrangement();
    for (Window *window : *m_vbe->Windows())
        window->storeLayout();
    m_vbe->Addins()->beginShutdown();
    m_vbe->Addins()->disconnectAll(ext_dm_HostShutdown);
}

bool HostWindow::closeModalDialogs()
{
    while (QWidget *modal = QApplication::activeModalWidget()) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        if (modal->isVisible()) {
            // It would not go: leave it to the user.
            modal->raise();
            modal->activateWindow();
            return false;
        }
    }
    return true;
}

void HostWindow::closeWhenDialogsAreGone()
{
    constexpr int kMaxRounds = 100;
    if (win32::modalLoopDepth() == 0) {
        m_closeRounds = 0;
        close();
        return;
    }
    if (++m_closeRounds > kMaxRounds || !closeModalDialogs()) {
        m_closeRounds = 0;  // what keeps opening or stays open is the user's to close
        return;
    }
    QTimer::singleShot(0, this, &HostWindow::closeWhenDialogsAreGone);
}

void HostWindow::closeEvent(QCloseEvent *event)
{
    // A modal dialog runs its own event loop further down the stack, and the
    // add-ins' windows it belongs to go when the host shuts down. So the host
    // closes the dialogs, lets their loops return, and only then closes itself.
    if (win32::modalLoopDepth() > 0) {
        event->ignore();
        if (m_closeRounds == 0 && closeModalDialogs()) {
            m_closeRounds = 1;
            QTimer::singleShot(0, this, &HostWindow::closeWhenDialogsAreGone);
        }
        return;
    }
    if (!m_shutDown && !mayClose(openProjects(), true)) {
        event->ignore();
        return;
    }
    shutDown();
    event->accept();
}

} // namespace vbide
