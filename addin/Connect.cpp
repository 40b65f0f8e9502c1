#include "addin/Connect.h"

#include "editor/SuggestionsPane.h"
#include "editor/docResourceEditor.h"
#include "platform/runtime/LocaleInfo.h"
#include "platform/vbide/AddIn.h"
#include "platform/vbide/CommandBar.h"
#include "platform/vbide/CommandBarControl.h"
#include "platform/vbide/CommandBarControls.h"
#include "platform/vbide/CommandBarEvents.h"
#include "platform/vbide/CommandBars.h"
#include "platform/vbide/Events.h"
#include "platform/vbide/VBE.h"
#include "platform/vbide/Window.h"
#include "platform/vbide/Windows.h"
#include "platform/win32core/Registry.h"
#include "support/ErrorTrap.h"
#include "support/Globals.h"
#include "support/REG_MODULE.h"
#include "support/LanguageSelect.h"
#include "uistrings/LgvStringModule.h"

#include <QDockWidget>
#include <QMainWindow>

using namespace win32;
using LgvStringModule::lgv_string;

namespace {
constexpr int kSuggestionsCaption = 1203;  // "Suggestions"
}

Connect::Connect(QObject *parent) : QObject(parent) {}

Connect::~Connect() = default;

vbide::VBE *Connect::HostVBE() const { return mVBE.data(); }
vbide::Window *Connect::ToolWindow() const { return mToolWindow.data(); }
vbide::Window *Connect::SuggestionsWindow() const { return mSuggestionsWindow.data(); }
vbide::CommandBarControl *Connect::MenuItem() const { return mMenuItem.data(); }

void Connect::OnConnection(vbide::VBE *Application, vbide::ext_ConnectMode ConnectMode, vbide::AddIn *AddInInst,
                           QVariantList &custom)
{
    AddinInstance_OnConnection(Application, ConnectMode, AddInInst, custom);
}

void Connect::OnDisconnection(vbide::ext_DisconnectMode RemoveMode, QVariantList &custom)
{
    AddinInstance_OnDisconnection(RemoveMode, custom);
}

bool Connect::OnQueryClose(const QList<vbide::VBProject *> &projects, bool unloading)
{
    return !EditorInstance || EditorInstance->QueryClose(projects, unloading);
}

void Connect::AddinInstance_OnConnection(vbide::VBE *Application, int, vbide::AddIn *AddInInst, QVariantList &)
{
    qm::trap("AddinInstance_OnConnection", [&] {
        LgvStringModule::InitUIStrings();
        VersionText = LibraryVersionText();
        mVBE = Application;
        LocaleInfo = std::make_shared<LgvRuntime::LocaleInfo>();
        ReadRegistry();
        LanguageSelect::ShowDialog(true);
        HelpFilePath = LibraryHelpFilePath();
        CreateToolWindow(AddInInst);
        CreateSuggestionsWindow(AddInInst);
        AddMenuItem();
    });
}

void Connect::AddinInstance_OnDisconnection(int, QVariantList &)
{
    // Normally OnQueryClose has settled every unsaved edit; what it did not
    // (an unload nobody asked about) is asked about now, while the editor is whole.
    if (EditorInstance)
        EditorInstance->SaveChangedResourceFiles();
    qm::trap("AddinInstance_OnDisconnection", [&] {
        if (mMenuItem) {
            if (mnuQuillmark)
                mnuQuillmark->disconnect(this);
            mnuQuillmark = nullptr;
            mMenuItem->Delete();
            mMenuItem = nullptr;
        }
        WriteRegistry();
        mToolWindow = nullptr;
        mSuggestionsWindow = nullptr;
        EditorInstance = nullptr;
        mVBE = nullptr;
        LocaleInfo.reset();
    });
}

void Connect::CreateToolWindow(vbide::AddIn *AddInInst)
{
    qm::trap("CreateToolWindow", [&] {
        if (!mVBE)
            qm::raise(QStringLiteral("Object variable not set: the host is missing."));
        vbide::Window *active = mVBE->ActiveWindow();
        QObject *document = nullptr;
        mToolWindow = qm::check(mVBE->Windows()->CreateToolWindow(
            AddInInst, QString::fromLatin1(EditorProgID), QString::fromUtf8(Caption),
            QString::fromLatin1(GuidPosition), document));
        if (mDisplayOnConnect)
            mToolWindow->setVisible(true);
        auto *editor = qobject_cast<docResourceEditor *>(document);
        if (!editor)
            qm::raise(QStringLiteral("The tool window holds no resource string editor."));
        EditorInstance = editor;
        EditorInstance->setVBE(mVBE);
        if (active)
            active->SetFocus();
    });
}

void Connect::CreateSuggestionsWindow(vbide::AddIn *AddInInst)
{
    qm::trap("CreateSuggestionsWindow", [&] {
        if (!mVBE || !EditorInstance)
            return;
        QObject *document = nullptr;
        // A registration from before the pane existed has no class for it: the editor works without the pane.
        auto created = mVBE->Windows()->CreateToolWindow(AddInInst, QString::fromLatin1(SuggestionsProgID),
                                                         lgv_string(kSuggestionsCaption),
                                                         QString::fromLatin1(SuggestionsGuidPosition), document);
        if (!created) {
            mVBE->ShowStatusText(created.errorString());
            return;
        }
        mSuggestionsWindow = created.value();
        auto *pane = qobject_cast<SuggestionsPane *>(document);
        if (!pane)
            qm::raise(QStringLiteral("The suggestions window holds no suggestions pane."));
        EditorInstance->AttachSuggestionsPane(pane);
        // First placed beside the editor, not behind it.
        QDockWidget *editorDock = mToolWindow ? mToolWindow->dockWidget() : nullptr;
        QDockWidget *paneDock = mSuggestionsWindow->dockWidget();
        auto *main = editorDock ? qobject_cast<QMainWindow *>(editorDock->parentWidget()) : nullptr;
        if (main && paneDock && !mSuggestionsWindow->hasRememberedPlace() && !editorDock->isFloating()) {
            // Out of the editor's tabs, into the area at the right; the editor stays beside the explorer.
            main->removeDockWidget(paneDock);
            main->addDockWidget(Qt::RightDockWidgetArea, paneDock);
            paneDock->hide();
        }
        if (mDisplayOnConnect)
            mSuggestionsWindow->setVisible(true);
        if (main && paneDock && !mSuggestionsWindow->hasRememberedPlace())
            main->resizeDocks({paneDock}, {paneDock->widget()->sizeHint().width()}, Qt::Horizontal);
    });
}

void Connect::AddMenuItem()
{
    qm::trap("AddMenuItem", [&] {
        vbide::CommandBar *bar = mVBE->CommandBars()->Item(QStringLiteral("Add-Ins"));
        if (!bar)
            return;
        mMenuItem = bar->Controls()->Add(vbide::msoControlButton);
        if (!mMenuItem)
            qm::raise(QStringLiteral("The \"Add-Ins\" menu did not accept a new entry."));
        mMenuItem->setCaption(QString::fromUtf8(Caption));
        mnuQuillmark = mVBE->Events()->CommandBarEvents(mMenuItem);
        if (!mnuQuillmark)
            qm::raise(QStringLiteral("The host gave no click events for the menu entry."));
        connect(mnuQuillmark, &vbide::CommandBarEvents::Click, this, &Connect::mnuQuillmark_Click);
    });
}

void Connect::mnuQuillmark_Click(vbide::CommandBarControl *, bool &, bool &)
{
    qm::trap("mnuQuillmark_Click", [&] {
        if (!mToolWindow || !EditorInstance)
            qm::raise(QStringLiteral("Object variable not set: the tool window is missing."));
        mToolWindow->setVisible(true);
        EditorInstance->SelectedViaAddInMenu();
    });
}

void Connect::ReadRegistry()
{
    qm::trap("ReadRegistry", [&] {
        HKEY key = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, QString::fromLatin1(SettingsKey), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        mDisplayOnConnect = RegQueryBoolean(key, QStringLiteral("DisplayOnConnect"), true);
        RegCloseKey(key);
    });
}

void Connect::WriteRegistry()
{
    qm::trap("WriteRegistry", [&] {
        HKEY key = 0;
        DWORD disposition = 0;
        (void)RegCreateKeyEx(HKEY_CURRENT_USER, QString::fromLatin1(SettingsKey), 0, QString(),
                             REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition);
        if (!mToolWindow) {
            RegCloseKey(key);
            qm::raise(QStringLiteral("Object variable not set: the tool window is missing."));
        }
        mDisplayOnConnect = mToolWindow->Visible();
        RegStoreBoolean(key, QStringLiteral("DisplayOnConnect"), mDisplayOnConnect);
        RegCloseKey(key);
    });
}
