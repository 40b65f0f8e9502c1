#include "support/QtTranslations.h"

#include "uistrings/LgvStringModule.h"
#include "uistrings/UILanguageListener.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>
#include <memory>

namespace QtTranslations {
namespace {

struct PlatformText {
    const char *context;
    const char *english;
    const char *german;
};

// The platform windows name their texts through Qt's translate() under these
// contexts; Qt's own catalogue does not know them.
constexpr PlatformText kPlatformTexts[] = {
    {"win32::HtmlHelpViewer", "Help", "Hilfe"},
    {"win32::HtmlHelpViewer", "Back", "Zurück"},
    {"win32::HtmlHelpViewer", "Forward", "Vorwärts"},
    {"win32::HtmlHelpViewer", "Home", "Startseite"},
    {"win32::HtmlHelpViewer", "Contents", "Inhalt"},
    {"win32::HtmlHelpViewer", "Topic", "Thema"},
    {"win32::QtFileDialog", "Open", "Öffnen"},
    {"win32::QtFileDialog", "Save As", "Speichern unter"},
    {"win32::FileDialog", "The folder \"%1\" does not exist.\nCheck the path and try again.",
     "Der Ordner \"%1\" existiert nicht.\nÜberprüfen Sie den Pfad, und versuchen Sie es erneut."},
    {"win32::FileDialog", "The file \"%1\" does not exist.\nCheck the file name and try again.",
     "Die Datei \"%1\" existiert nicht.\nÜberprüfen Sie den Dateinamen, und versuchen Sie es erneut."},
    {"win32::SftTree", "Cell editor", "Zelleneditor"},
};

class PlatformTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (!context || !sourceText)
            return {};
        for (const PlatformText &text : kPlatformTexts) {
            if (std::strcmp(text.context, context) == 0 && std::strcmp(text.english, sourceText) == 0)
                return QString::fromUtf8(text.german);
        }
        return {};
    }
};

struct Installed {
    std::unique_ptr<QTranslator> qt;
    std::unique_ptr<PlatformTranslator> platform;
};

Installed &installed()
{
    static Installed state;
    return state;
}

// The core tables cannot see this library; it tells them where to report.
[[maybe_unused]] const bool g_listening = (LgvStringModule::SetUILanguageListener(&Apply), true);

} // namespace

void Apply(int languageId)
{
    if (!QCoreApplication::instance())
        return;
    Installed &state = installed();
    const bool german = languageId == LgvStringModule::kGermanUILanguage;
    if (german == bool(state.platform))
        return;
    if (!german) {
        if (state.qt)
            QCoreApplication::removeTranslator(state.qt.get());
        QCoreApplication::removeTranslator(state.platform.get());
        state.qt.reset();
        state.platform.reset();
        return;
    }
    state.platform = std::make_unique<PlatformTranslator>();
    QCoreApplication::installTranslator(state.platform.get());
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        state.qt = std::move(qt);
    }
}

bool QtGermanLoaded() { return bool(installed().qt); }

} // namespace QtTranslations
