#pragma once

// The words of a text as a spelling check sees them.

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

namespace spelling {

struct Word {
    qsizetype position; // in the text, of the first character (an & before it included)
    qsizetype length;   // in the text, & included
    QString word;       // without the & of an access key
};

// Runs of letters, marks and digits, with an apostrophe between two letters
// ("don't") and an access key's & ("Ö&ffnen", "&Datei") inside the word.
// Placeholders (%1, %s, {0}) are no words; && is a plain ampersand.
QList<Word> words(QStringView text);

// Words no dictionary is asked about: those with a digit, those in capitals only.
bool isLeftAlone(QStringView word);

// A word's verdict: known or not, or nothing while there is none yet.
using Verdict = std::function<std::optional<bool>(const QString &word)>;
// The words of text that known calls unknown, leaving alone those isLeftAlone
// names and those that sourceText, the source language's text of the same
// string, also holds (names, product terms). Nothing while a word has no
// verdict; every word is put to known even so.
std::optional<QList<Word>> misspellings(QStringView text, QStringView sourceText, const Verdict &known);

} // namespace spelling
