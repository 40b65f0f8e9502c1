#pragma once

#include "platform/vbide/IDTExtensibility2.h"
#include "platform/vbide/IDTQueryClose.h"
#include "support/ProductTitle.h"

#include <QObject>
#include <QPointer>
#include <QVariantList>

namespace vbide {
class AddIn;
class CommandBarControl;
class CommandBarEvents;
class VBE;
class Window;
} // namespace vbide

// The object through which the host loads and unloads the add-in: it prepares
// the shared services, creates the tool window holding the editor and puts
// the add-in's entry into the host's "Add-Ins" menu.
class Connect : public QObject, public vbide::IDTExtensibility2, public vbide::IDTQueryClose {
    Q_OBJECT
    Q_INTERFACES(vbide::IDTExtensibility2 vbide::IDTQueryClose)
public:
    static constexpr const char *ProgID = "Quillmark.Connect";
    static constexpr const char *EditorProgID = "Quillmark.docResourceEditor";
    static constexpr const char *SuggestionsProgID = "Quillmark.SuggestionsPane";
    static constexpr const char *SuggestionsGuidPosition = "{64BCB044-A947-11d5-BF0A-0020182C1E5C}";
    static constexpr const char *Caption = qm::kProductTitle;
    static constexpr const char *GuidPosition = "{64BCB040-A947-11d5-BF0A-0020182C1E5C}";
    static constexpr const char *SettingsKey = "Software\\Corvane\\Quillmark";

    explicit Connect(QObject *parent = nullptr);
    ~Connect() override;

    void OnConnection(vbide::VBE *Application, vbide::ext_ConnectMode ConnectMode, vbide::AddIn *AddInInst,
                      QVariantList &custom) override;
    void OnDisconnection(vbide::ext_DisconnectMode RemoveMode, QVariantList &custom) override;
    void OnAddInsUpdate(QVariantList &) override {}
    void OnStartupComplete(QVariantList &) override {}
    void OnBeginShutdown(QVariantList &) override {}
    // The editor asks about unsaved resource files while the host can still stay open.
    bool OnQueryClose(const QList<vbide::VBProject *> &projects, bool unloading) override;

    void AddinInstance_OnConnection(vbide::VBE *Application, int ConnectMode, vbide::AddIn *AddInInst,
                                    QVariantList &custom);
    void AddinInstance_OnDisconnection(int RemoveMode, QVariantList &custom);
    void CreateToolWindow(vbide::AddIn *AddInInst);
    // The translation memory's suggestions, in a window of their own beside the editor's.
    void CreateSuggestionsWindow(vbide::AddIn *AddInInst);
    void AddMenuItem();
    void mnuQuillmark_Click(vbide::CommandBarControl *CommandBarControl, bool &handled, bool &CancelDefault);
    void ReadRegistry();
    void WriteRegistry();

    // State, for tests.
    vbide::VBE *HostVBE() const;
    vbide::Window *ToolWindow() const;
    vbide::Window *SuggestionsWindow() const;
    vbide::CommandBarControl *MenuItem() const;
    bool DisplayOnConnect() const { return mDisplayOnConnect; }

private:
    QPointer<vbide::VBE> mVBE;
    QPointer<vbide::Window> mToolWindow;
    QPointer<vbide::Window> mSuggestionsWindow;
    bool mDisplayOnConnect = false;
    QPointer<vbide::CommandBarControl> mMenuItem;
    QPointer<vbide::CommandBarEvents> mnuQuillmark;
};
