#pragma once

#include "platform/common/Result.h"

#include <QByteArray>
#include <QHash>
#include <QString>

namespace LgvRuntime {

// Reads a module's string tables and answers with the text of a string ID in a
// language. A module carries its tables as a resource-script text:
//
//     STRINGTABLE LANGUAGE 2057
//     BEGIN
//         27, "Remove Language"
//         515, " ?"
//     END
//
// Texts are UTF-8 in double quotes; a quote inside a text is written twice, and
// \n, \t and \\ stand for a line feed, a tab and a backslash. Lines starting with
// "//" are comments.
class ResourceReader {
public:
    // Opens the tables of a module, named by the path of its string-table file
    // (a Qt resource path such as ":/Quillmark/UIStrings.rc" or a file path).
    qm::Status Open(const QString &module);
    // Opens tables given as text; `name` appears in error messages.
    qm::Status OpenText(const QByteArray &text, const QString &name);

    bool IsOpen() const { return m_open; }
    int OpenCount() const { return m_openCount; }
    // The language of the module's first table; used for the neutral language 0.
    int DefaultLanguage() const { return m_defaultLanguage; }

    // The text of `id` in `languageId`; empty when that language has no text for
    // it. Language 0 (neutral) asks for the module's default language. Fails only
    // when no tables are open.
    qm::Result<QString> GetString(int id, int languageId) const;

private:
    static quint64 key(int id, int languageId)
    {
        return (quint64(quint32(languageId)) << 32) | quint32(id);
    }

    QHash<quint64, QString> m_texts;
    QString m_module;
    int m_defaultLanguage = 0;
    int m_openCount = 0;
    bool m_open = false;
};

} // namespace LgvRuntime
