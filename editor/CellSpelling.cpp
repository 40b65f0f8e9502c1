#include "editor/CellSpelling.h"

#include "pseudo/PseudoLocale.h"

namespace {
// Far more texts than a screen shows; dropped rather than grown beyond it.
constexpr qsizetype kMaxKeptTexts = 1 << 15;
} // namespace

bool CellSpelling::checksLanguage(qint32 localeId) { return localeId > 0 && !pseudo::isPseudoLocale(localeId); }

const QList<spelling::Word> &CellSpelling::misspelt(qint32 localeId, const QString &text, const QString &sourceText,
                                                    Wait wait)
{
    static const QList<spelling::Word> none;
    if (text.isEmpty() || !checks(localeId))
        return none;
    Key key{localeId, text, sourceText};
    if (const auto it = m_found.constFind(key); it != m_found.constEnd())
        return *it;
    const auto known = [&](const QString &word) { return m_checker.knows(localeId, word); };
    std::optional<QList<spelling::Word>> words = spelling::misspellings(text, sourceText, known);
    if (!words && wait == Wait::ForVerdicts) {
        m_checker.settle();
        words = spelling::misspellings(text, sourceText, known);
    }
    if (!words)
        return none;
    if (m_found.size() >= kMaxKeptTexts)
        m_found.clear();
    return *m_found.insert(std::move(key), std::move(*words));
}

QStringList CellSpelling::suggestions(qint32 localeId, const QString &word)
{
    return checks(localeId) ? m_checker.suggestions(localeId, word) : QStringList();
}

qm::Status CellSpelling::addToDictionary(qint32 localeId, const QString &word)
{
    if (!checks(localeId))
        return qm::makeError(QStringLiteral("the language has no dictionary"));
    return m_checker.addToDictionary(localeId, word);
}

void CellSpelling::ignore(qint32 localeId, const QString &word)
{
    if (checks(localeId))
        m_checker.ignore(localeId, word);
}
