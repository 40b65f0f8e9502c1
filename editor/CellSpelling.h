#pragma once

#include "spelling/SpellingCheck.h"

#include <QHash>
#include <QList>
#include <QString>

// Spelling in the grid: the misspelt words of a cell's text, found when a cell
// is drawn or described and kept per text, so that scrolling asks the
// dictionary about each text once. The source language's text of the row
// lends its words (names, product terms); a language without a dictionary and
// the Windows pseudo-locales have no misspelt words.
class CellSpelling {
public:
    explicit CellSpelling(QStringList folders = spelling::dictionaryFolders()) : m_folders(folders), m_checkers(folders) {}

    // Whether the language has a dictionary, without reading it.
    bool hasDictionary(qint32 localeId) const;

    // The checker for a language; nullptr without a dictionary and for a pseudo-locale.
    spelling::SpellChecker *checker(qint32 localeId);
    // Whether words of the language are checked at all (a pseudo-locale's are not).
    static bool checksLanguage(qint32 localeId);

    // The words of text the language's dictionary does not know.
    const QList<spelling::Word> &misspelt(qint32 localeId, const QString &text, const QString &sourceText);
    // The user added a word or ignored one: the kept results may have changed.
    void forget() { m_found.clear(); }

private:
    struct Key {
        qint32 localeId;
        QString text;
        QString source;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed) { return qHashMulti(seed, key.localeId, key.text, key.source); }

    QStringList m_folders;
    spelling::SpellCheckers m_checkers;
    QHash<Key, QList<spelling::Word>> m_found;
};
