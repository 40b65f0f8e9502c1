#pragma once

// The words of a text as a spelling check sees them.

#include <QList>
#include <QString>
#include <QStringView>

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

} // namespace spelling
