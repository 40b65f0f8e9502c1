#pragma once

#include "spelling/BackgroundChecker.h"
#include "spelling/DictionaryFolders.h"
#include "spelling/Words.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

// Spelling in the grid: the misspelt words of a cell's text, found when a cell
// is drawn or described and kept per text, so that scrolling asks about each
// text once. Words are asked off the window's thread, one dictionary open at a
// time; a text waiting for a verdict has no misspelt words yet, and answered
// runs when verdicts come in. The source language's text of the row lends its
// words (names, product terms); a language without a dictionary and the
// Windows pseudo-locales have no misspelt words.
class CellSpelling {
public:
    explicit CellSpelling(std::function<void()> answered, QStringList folders = spelling::dictionaryFolders())
        : m_checker(std::move(folders), std::move(answered))
    {
    }

    // Whether the language has a dictionary, without reading it.
    bool hasDictionary(qint32 localeId) const { return m_checker.hasDictionary(localeId); }
    // Whether words of the language are checked at all (a pseudo-locale's are not).
    static bool checksLanguage(qint32 localeId);

    enum class Wait { No, ForVerdicts };
    // The words of text the language's dictionary does not know.
    const QList<spelling::Word> &misspelt(qint32 localeId, const QString &text, const QString &sourceText,
                                          Wait wait = Wait::No);

    // These wait for the language's dictionary; none for a language without one.
    QStringList suggestions(qint32 localeId, const QString &word);
    qm::Status addToDictionary(qint32 localeId, const QString &word);
    void ignore(qint32 localeId, const QString &word);
    // The user added a word or ignored one: the kept results may have changed.
    void forget() { m_found.clear(); }

    const spelling::BackgroundChecker &checker() const { return m_checker; }

private:
    struct Key {
        qint32 localeId;
        QString text;
        QString source;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed) { return qHashMulti(seed, key.localeId, key.text, key.source); }
    bool checks(qint32 localeId) const { return checksLanguage(localeId) && hasDictionary(localeId); }

    spelling::BackgroundChecker m_checker;
    QHash<Key, QList<spelling::Word>> m_found;
};
