#include "spelling/DictionaryFolders.h"

#include "platform/win32core/Nls.h"

#include <QDir>
#include <QFileInfo>

namespace spelling {

namespace {

// The .dic file of a dictionary that also has its .aff, without the suffix.
QString findDictionary(const QString &name, const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QString base = QDir(folder).filePath(name);
        if (QFileInfo::exists(base + QStringLiteral(".dic")) && QFileInfo::exists(base + QStringLiteral(".aff")))
            return base;
    }
    return {};
}

QString posixName(const QString &tag) { return QString(tag).replace(u'-', u'_'); }

} // namespace

QStringList dictionaryFolders()
{
    const QString overridden = qEnvironmentVariable("QM_DICTIONARY_PATH");
    if (!overridden.isEmpty())
        return overridden.split(u':', Qt::SkipEmptyParts);
    return {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/share/myspell/dicts"), QStringLiteral("/usr/share/myspell")};
}

QString dictionaryPath(qint32 localeId, const QStringList &folders)
{
    const QString tag = win32::LCIDToLocaleName(win32::LCID(localeId), win32::LOCALE_ALLOW_NEUTRAL_NAMES);
    if (tag.isEmpty())
        return {};
    const QString language = tag.section(u'-', 0, 0);
    QStringList names{posixName(tag), language};
    const win32::LCID neutral = win32::LocaleNameToLCID(language, win32::LOCALE_ALLOW_NEUTRAL_NAMES);
    if (neutral != 0)
        names.append(posixName(win32::LCIDToLocaleName(neutral)));
    for (const QString &name : names)
        if (const QString found = findDictionary(name, folders); !found.isEmpty())
            return found;
    for (const QString &folder : folders) {
        const QStringList any = QDir(folder).entryList({language + QStringLiteral("_*.dic")}, QDir::Files, QDir::Name);
        for (const QString &file : any)
            if (const QString found = findDictionary(file.chopped(4), {folder}); !found.isEmpty())
                return found;
    }
    return {};
}

QString userWordListPath(const QString &localeTag)
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::home().filePath(QStringLiteral(".local/share"));
    return QDir(data).filePath(QStringLiteral("quillmark/words/%1.txt").arg(localeTag));
}

} // namespace spelling
