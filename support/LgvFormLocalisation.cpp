#include "support/LgvFormLocalisation.h"

#include "support/ErrorTrap.h"

LgvFormLocalisation::~LgvFormLocalisation() = default;

void LgvFormLocalisation::lgv_RuntimeSupport_LanguageChanged(int LanguageID, const QString &Language)
{
    LgvStringModule::SetUILanguage(LanguageID, Language);
    lgv_UpdateControls();
}

void LgvFormLocalisation::lgv_Load(bool syncLanguage, bool updateControls)
{
    lgv_RenewRuntimeSupport();
    if (syncLanguage)
        LgvStringModule::SetUILanguage(lgv_RuntimeSupport->LanguageId(), lgv_RuntimeSupport->Language());
    if (updateControls)
        lgv_UpdateControls();
}

void LgvFormLocalisation::lgv_RenewRuntimeSupport()
{
    lgv_RuntimeSupport = std::make_unique<LgvRuntime::RuntimeSupport>();
    // The connection ends with the object, so a released object calls nothing.
    QObject::connect(lgv_RuntimeSupport.get(), &LgvRuntime::RuntimeSupport::LanguageChanged, lgv_RuntimeSupport.get(),
                     [this](int languageId, const QString &language) {
                         qm::trap("lgv_RuntimeSupport_LanguageChanged",
                                  [&] { lgv_RuntimeSupport_LanguageChanged(languageId, language); });
                     });
}

void LgvFormLocalisation::lgv_Unload() { lgv_RuntimeSupport.reset(); }

void LgvFormLocalisation::lgv_SetCaption(QWidget &window, int id)
{
    const QString text = LgvStringModule::lgv_string(id);
    window.setWindowTitle(text);
    window.setAccessibleName(text);
}
