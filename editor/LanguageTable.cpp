#include "editor/LanguageTable.h"

#include "languages/modUtilFonts.h"

namespace {
constexpr int LOCALE_SLANGUAGE = 2;
constexpr int kGrowth = 10;

LanguageColumn languageColumn(qint32 localeId, const QString &name, int column)
{
    LanguageColumn language;
    language.LocaleID = localeId;
    language.LanguageName = name;
    language.Column = column;
    language.DefaultFont = modUtil::GetDefaultFontForLocale(localeId);
    language.FontName = modUtil::GetStoredLanguageFont(localeId, language.DefaultFont);
    return language;
}
} // namespace

LanguageTable::LanguageTable(int room) : m_entries(static_cast<std::size_t>(room)) {}

void LanguageTable::makeRoom(int index)
{
    if (index > upperBound())
        m_entries.resize(static_cast<std::size_t>(index) + kGrowth + 1);
}

void LanguageTable::assign(const QList<qint32> &locales)
{
    const int count = static_cast<int>(locales.size());
    // A file's languages leave ten free places after the last.
    if (count - 1 > upperBound())
        m_entries.resize(static_cast<std::size_t>(count) + kGrowth + 1);
    for (int i = 0; i < count; ++i)
        (*this)[i] = languageColumn(locales[i], nameOf(locales[i]), i + 1);
    m_count = count;
}

void LanguageTable::append(qint32 localeId, const QString &name)
{
    makeRoom(m_count);
    (*this)[m_count] = languageColumn(localeId, name, m_count + 1);
    ++m_count;
}

void LanguageTable::insert(int index, qint32 localeId, const QString &name)
{
    if (index < 0 || index >= m_count) {
        append(localeId, name);
        return;
    }
    makeRoom(m_count);
    for (int i = m_count; i > index; --i) {
        (*this)[i] = std::move((*this)[i - 1]);
        (*this)[i].Column = i + 1;
    }
    (*this)[index] = languageColumn(localeId, name, index + 1);
    ++m_count;
}

QString LanguageTable::nameOf(qint32 localeId) { return modUtil::GetLocaleInfoString(localeId, LOCALE_SLANGUAGE); }

bool LanguageTable::remove(qint32 localeId)
{
    const int index = indexOf(localeId);
    if (index < 0)
        return false;
    for (int i = index; i < last(); ++i) {
        (*this)[i] = std::move((*this)[i + 1]);
        (*this)[i].Column = i + 1;
    }
    (*this)[last()] = LanguageColumn{};
    --m_count;
    return true;
}

void LanguageTable::clear()
{
    for (int i = 0; i < m_count; ++i)
        (*this)[i] = LanguageColumn{};
    m_count = 0;
}

int LanguageTable::indexOf(qint32 localeId) const
{
    for (int i = 0; i < m_count; ++i)
        if ((*this)[i].LocaleID == localeId)
            return i;
    return -1;
}

int LanguageTable::indexOfColumn(int column) const { return column >= 1 && column <= m_count ? column - 1 : -1; }

int LanguageTable::columnOf(qint32 localeId) const
{
    const int index = indexOf(localeId);
    return index < 0 ? -1 : (*this)[index].Column;
}

qint32 LanguageTable::localeOf(int column) const
{
    const int index = indexOfColumn(column);
    return index < 0 ? -1 : (*this)[index].LocaleID;
}

QList<qint32> LanguageTable::locales() const
{
    QList<qint32> result;
    for (const LanguageColumn &language : *this)
        result.append(language.LocaleID);
    return result;
}

std::vector<int> LanguageTable::columns() const
{
    std::vector<int> result;
    for (const LanguageColumn &language : *this)
        result.push_back(language.Column);
    return result;
}
