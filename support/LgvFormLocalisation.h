#pragma once

// The localisation pattern every window follows:
//
//     class frmRemoveLanguage : public QDialog, public LgvFormLocalisation {
//         void Form_Load() { ...build controls...; lgv_Load(false); }
//         void lgv_UpdateControls() override { lgv_SetText(*cmdOK, 51); ... }
//     };
//
// lgv_Load creates the window's lgv_RuntimeSupport, optionally makes the module
// follow the language chosen elsewhere, and applies the texts. From then on each
// change of the process-wide language runs lgv_RuntimeSupport_LanguageChanged,
// which sets the module's language and applies the texts again.

#include "platform/runtime/RuntimeSupport.h"
#include "uistrings/LgvStringModule.h"

#include <QString>
#include <QWidget>

#include <memory>

class LgvFormLocalisation {
public:
    virtual ~LgvFormLocalisation();

    LgvRuntime::RuntimeSupport *runtimeSupport() const { return lgv_RuntimeSupport.get(); }

    // Sets every caption, tooltip and menu text of the window from lgv_string.
    virtual void lgv_UpdateControls() = 0;
    // SetUILanguage with both arguments, then lgv_UpdateControls.
    virtual void lgv_RuntimeSupport_LanguageChanged(int LanguageID, const QString &Language);

protected:
    LgvFormLocalisation() = default;

    // The load steps: a new lgv_RuntimeSupport; with `syncLanguage` SetUILanguage
    // from its current language; with `updateControls` lgv_UpdateControls.
    void lgv_Load(bool syncLanguage, bool updateControls = true);
    // Replaces lgv_RuntimeSupport by a new object, connected like the first.
    void lgv_RenewRuntimeSupport();
    // Releases lgv_RuntimeSupport: the window hears no more language changes.
    void lgv_Unload();

    // Text (and accessible name) of a control from a UI string ID.
    template<class Control>
    static void lgv_SetText(Control &control, int id)
    {
        const QString text = LgvStringModule::lgv_string(id);
        control.setText(text);
        control.setAccessibleName(text);
    }
    static void lgv_SetToolTip(QWidget &control, int id) { control.setToolTip(LgvStringModule::lgv_string(id)); }
    // Window caption (and accessible name) from a UI string ID.
    static void lgv_SetCaption(QWidget &window, int id);

    std::unique_ptr<LgvRuntime::RuntimeSupport> lgv_RuntimeSupport;
};
