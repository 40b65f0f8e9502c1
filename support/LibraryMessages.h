#pragma once

// The libraries (workbooks, exchange formats, resource files) report in
// English and know nothing of the UI language. Their messages are put into the
// UI language where the add-in shows them: part by part, through a catalogue
// of the libraries' message templates, so the file, line and cell a message
// names survive.

#include <QString>
#include <QStringList>

namespace LibraryMessages {

// The message as a user of the current UI language reads it.
QString Shown(const QString &english);
// The message in German: every part the catalogue knows is German, file names,
// numbers and quoted texts are kept; a part it does not know stays English.
QString German(const QString &english);

// The English templates the catalogue has a German text for.
QStringList KnownTemplates();
// The German text of one template; empty when the catalogue has none.
QString GermanTemplate(const QString &englishTemplate);
// Texts of the libraries that go into files and are never shown: no German.
QStringList KeptTexts();
// What is wrong with the catalogue file; empty when it reads cleanly.
QString CatalogueProblem();

} // namespace LibraryMessages
