#include "uistrings/LgvStringModule.h"

#include "platform/runtime/LocaleInfo.h"
#include "platform/runtime/ResourceReader.h"
#include "support/ErrorTrap.h"
#include "support/Globals.h"

#include <memory>

// Defined beside its reader, so the command-line tool has it without the add-in.
std::shared_ptr<LgvRuntime::LocaleInfo> LocaleInfo;

namespace LgvStringModule {
namespace {

std::unique_ptr<LgvRuntime::ResourceReader> g_reader;
bool g_initialised = false;
int g_currentUILanguage = 0;

void openReader()
{
    qm::check(StringReader().Open(QString::fromLatin1(kUIStringModule)));
}

} // namespace

LgvRuntime::ResourceReader &StringReader()
{
    if (!g_reader)
        g_reader = std::make_unique<LgvRuntime::ResourceReader>();
    return *g_reader;
}

QString lgv_string(int id)
{
    // The tables are opened on first use too, so a window that comes up before
    // the connection has run InitUIStrings still gets its texts.
    if (!StringReader().IsOpen())
        InitUIStrings();
    return qm::check(StringReader().GetString(id, g_currentUILanguage));
}

void InitUIStrings()
{
    if (g_initialised)
        return;
    openReader();
    g_initialised = true;
}

void ReopenUIStrings()
{
    openReader();
    g_initialised = true;
}

int CurrentUILanguage() { return g_currentUILanguage; }

void setCurrentUILanguage(int languageId) { g_currentUILanguage = languageId; }

void SetUILanguage(int LanguageID, const QString &Language)
{
    Q_UNUSED(Language);
    g_currentUILanguage = 2057;
    for (int id : GetUILanguages()) {
        if (id == LanguageID) {
            g_currentUILanguage = LanguageID;
            break;
        }
    }
}

QList<int> GetUILanguages() { return {2057, 1031}; }

QString GetUILanguageName(int localeId)
{
    switch (localeId) {
    case 2057: return QStringLiteral("English (United Kingdom)");
    case 1031: return QStringLiteral("German (Germany)");
    default: return QStringLiteral("Invalid Language Index");
    }
}

QString GetNativeLanguageName(int localeId)
{
    if (!::LocaleInfo)
        qm::raise(QStringLiteral("The locale information object has not been created"));
    return qm::check(::LocaleInfo->GetLocaleName(localeId, localeId));
}

QString SubstituteParameters(const QString &text, const QStringList &values)
{
    QString result = text;
    for (qsizetype index = 0; index < values.size(); ++index)
        result.replace(QLatin1Char('%') + QString::number(index), values[index], Qt::CaseSensitive);
    return result;
}

QString JoinMessageParts(const QStringList &parts)
{
    QString result;
    for (const QString &part : parts) {
        if (part.isEmpty())
            continue;
        if (!result.isEmpty() && !result.back().isSpace() && !part.front().isSpace())
            result += QLatin1Char(' ');
        result += part;
    }
    return result;
}

} // namespace LgvStringModule
