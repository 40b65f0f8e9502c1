#pragma once

// The add-in's UI texts by string ID in the current UI language, and the small
// language helpers around them. Failures reach the caller's error trap.

#include <QList>
#include <QString>
#include <QStringList>

#include <concepts>
#include <memory>

namespace LgvRuntime {
class LocaleInfo;
class ResourceReader;
}

// Names locales in a given UI language; set by the add-in's connection.
extern std::shared_ptr<LgvRuntime::LocaleInfo> LocaleInfo;

namespace LgvStringModule {

// The path of the add-in's own string tables inside the library.
inline constexpr const char *kUIStringModule = ":/Quillmark/UIStrings.rc";

// The text of `id` in CurrentUILanguage(); empty when the language has none.
QString lgv_string(int id);
// Opens the string tables of the add-in; only the first call has an effect.
void InitUIStrings();
// Opens the string tables again, without the once-only guard (the project object).
void ReopenUIStrings();
// The string reader, created on first use.
LgvRuntime::ResourceReader &StringReader();

// The UI languages.
inline constexpr int kEnglishUILanguage = 2057; // English (United Kingdom)
inline constexpr int kGermanUILanguage = 1031;  // German (Germany)

// 0 until a language is set; afterwards 2057 or 1031.
int CurrentUILanguage();
// Sets CurrentUILanguage to 2057 unless LanguageID is a UI language; the name is not used.
void SetUILanguage(int LanguageID, const QString &Language);
// Sets CurrentUILanguage directly (a choice made from GetUILanguages()).
void setCurrentUILanguage(int languageId);

// 2057, then 1031.
QList<int> GetUILanguages();
// "English (United Kingdom)", "German (Germany)", else "Invalid Language Index".
QString GetUILanguageName(int localeId);
// The locale's name in its own language, through the shared LocaleInfo.
QString GetNativeLanguageName(int localeId);

// Replaces "%0", "%1", ... by the values in one pass: a value is put in as
// it is, never searched for placeholders itself. Placeholders without a value stay.
QString SubstituteParameters(const QString &text, const QStringList &values);

inline QString parameterText(const QString &value) { return value; }
inline QString parameterText(const char *value) { return QString::fromUtf8(value); }
template<class T>
    requires std::integral<T> || std::floating_point<T>
QString parameterText(T value)
{
    return QString::number(value);
}

// Joins the parts of a composed message, with a space between two parts that
// meet without one. Empty parts (a text one language lacks) are left out.
QString JoinMessageParts(const QStringList &parts);

template<class... Values>
QString SubstituteParameters(const QString &text, const Values &...values)
{
    return SubstituteParameters(text, QStringList{parameterText(values)...});
}

} // namespace LgvStringModule
