#include "uistrings/LgvStringModule.h"
#include "uistrings/UILanguageListener.h"

#include "platform/common/ProcedureError.h"
#include "platform/runtime/LocaleInfo.h"
#include "platform/runtime/ResourceReader.h"

#include <memory>

// Defined beside its reader, so the command-line tool has it without the add-in.
std::shared_ptr<LgvRuntime::LocaleInfo> LocaleInfo;

namespace LgvStringModule {
namespace {

std::unique_ptr<LgvRuntime::ResourceReader> g_reader;
bool g_initialised = false;
int g_currentUILanguage = 0;
UILanguageListener g_listener = nullptr;

void languageSet()
{
    if (g_listener)
        g_listener(g_currentUILanguage);
}

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

void setCurrentUILanguage(int languageId)
{
    g_currentUILanguage = languageId;
    languageSet();
}

void SetUILanguageListener(UILanguageListener listener) { g_listener = listener; }

void SetUILanguage(int LanguageID, const QString &Language)
{
    Q_UNUSED(Language);
    g_currentUILanguage = kEnglishUILanguage;
    for (int id : GetUILanguages()) {
        if (id == LanguageID) {
            g_currentUILanguage = LanguageID;
            break;
        }
    }
    languageSet();
}

QList<int> GetUILanguages() { return {kEnglishUILanguage, kGermanUILanguage}; }

QString GetUILanguageName(int localeId)
{
    switch (localeId) {
    case kEnglishUILanguage: return QStringLiteral("English (United Kingdom)");
    case kGermanUILanguage: return QStringLiteral("German (Germany)");
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
    // One pass over the text: a value is never searched again, so a file name
    // holding "%1" stays as it is. The longest index that has a value wins
    // ("%10" is the eleventh value when there are eleven, else "%1" and "0").
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != QLatin1Char('%') || i + 1 >= text.size() || !text[i + 1].isDigit()) {
            result += c;
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < text.size() && text[end].isDigit())
            ++end;
        qsizetype taken = 0;
        qsizetype index = -1;
        for (qsizetype digits = end - i - 1; digits > 0; --digits) {
            bool ok = false;
            const qsizetype candidate = text.mid(i + 1, digits).toLongLong(&ok);
            if (ok && candidate < values.size()) {
                index = candidate;
                taken = digits;
                break;
            }
        }
        if (index < 0) {
            result += text.mid(i, end - i);
            i = end;
            continue;
        }
        result += values[index];
        i += 1 + taken;
    }
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
