#pragma once

// One language's spelling: its Hunspell dictionary, the user's own words for it
// ("Add to Dictionary") and the words ignored in this session.

#include "platform/common/Result.h"
#include "spelling/Words.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

class Hunspell;

namespace spelling {

class SpellChecker {
public:
    // The checker for a locale's dictionary (see dictionaryPath), with the
    // user's words read in; nullptr when the locale has no dictionary.
    static std::unique_ptr<SpellChecker> open(qint32 localeId, const QStringList &folders);
    ~SpellChecker();
    SpellChecker(const SpellChecker &) = delete;
    SpellChecker &operator=(const SpellChecker &) = delete;

    qint32 localeId() const { return m_localeId; }
    // "de_DE": the dictionary's file name without its suffix.
    QString dictionaryName() const;

    // The dictionary's, the user's or an ignored word.
    bool knows(QStringView word);
    // The dictionary's suggestions, best first.
    QStringList suggestions(QStringView word);
    // The words of text the checker does not know, leaving alone those isLeftAlone
    // names and those that sourceText, the source language's text of the same
    // string, also holds (names, product terms).
    QList<Word> misspellings(QStringView text, QStringView sourceText = {});

    // Adds word to the user's list for this language, which is saved at once.
    qm::Status addToDictionary(const QString &word);
    // Knows word until the checker is closed.
    void ignore(const QString &word);

private:
    SpellChecker(qint32 localeId, QString dictionaryPath, std::unique_ptr<Hunspell> hunspell);
    std::string encoded(QStringView word, bool *ok) const;
    QString decoded(const std::string &bytes) const;
    void readUserWords();

    qint32 m_localeId;
    QString m_dictionaryPath;
    QString m_userWordList;
    std::unique_ptr<Hunspell> m_hunspell;
    bool m_utf8 = true;
    QByteArray m_encoding;
    QStringList m_userWords;
    QSet<QString> m_ignored;
    QHash<QString, bool> m_known; // asked before; Hunspell takes microseconds a word
};

} // namespace spelling
