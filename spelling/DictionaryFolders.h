#pragma once

// Where the Hunspell dictionaries (NAME.aff beside NAME.dic) and the user's own
// word lists are.

#include <QString>
#include <QStringList>

namespace spelling {

// The folders of QM_DICTIONARY_PATH (separated by ":") when it is set, else
// Debian's /usr/share/hunspell and /usr/share/myspell/dicts.
QStringList dictionaryFolders();

// The dictionary for a locale: its own ("de_AT"), else the language alone
// ("de"), else the language's main country ("de_DE"), else any of the
// language's ("de_CH"). Empty when there is none. The name, without folder
// and suffix, is what the path ends in.
QString dictionaryPath(qint32 localeId, const QStringList &folders);

// The user's words for a language ("de-DE"): $XDG_DATA_HOME/quillmark/words/de-DE.txt,
// ~/.local/share when XDG_DATA_HOME is not set.
QString userWordListPath(const QString &localeTag);

} // namespace spelling
