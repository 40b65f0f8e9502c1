#include "editor/CellSpelling.h"

#include "pseudo/PseudoLocale.h"

namespace {
// Far more texts than a screen shows; dropped rather than grown beyond it.
constexpr qsizetype kMaxKeptTexts = 1 << 15;
} // namespace

bool CellSpelling::checksLanguage(qint32 localeId) { return localeId > 0 && !pseudo::isPseudoLocale(localeId); }

bool CellSpelling::hasDictionary(qint32 localeId) const
{
    return !spelling::dictionaryPath(localeId, m_folders).isEmpty();
}

spelling::SpellChecker *CellSpelling::checker(qint32 localeId)
{
    return checksLanguage(localeId) ? m_checkers.forLocale(localeId) : nullptr;
}

const QList<spelling::Word> &CellSpelling::misspelt(qint32 localeId, const QString &text, const QString &sourceText)
{
    static const QList<spelling::Word> none;
    if (text.isEmpty())
        return none;
    Key key{localeId, text, sourceText};
    if (const auto it = m_found.constFind(key); it != m_found.constEnd())
        return *it;
    spelling::SpellChecker *spell = checker(localeId);
    if (!spell)
        return none;
    if (m_found.size() >= kMaxKeptTexts)
        m_found.clear();
    QList<spelling::Word> words = spell->misspellings(text, sourceText);
    return *m_found.insert(std::move(key), std::move(words));
}
