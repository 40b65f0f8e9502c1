#include "platform/win32/HtmlHelpSet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QResource>

namespace win32 {
namespace {

const QString kProjectPage = QStringLiteral("Quillmark.hhp");

int g_nextRoot = 0;

} // namespace

HtmlHelpSet::~HtmlHelpSet()
{
    if (!m_root.isEmpty())
        QResource::unregisterResource(m_file, m_root);
}

qm::Result<std::unique_ptr<HtmlHelpSet>> HtmlHelpSet::open(const QString &helpFile)
{
    const QFileInfo info(helpFile);
    if (helpFile.isEmpty() || !info.isFile())
        return qm::makeError(QStringLiteral("Cannot open the help file \"%1\": the file does not exist.").arg(helpFile));
    std::unique_ptr<HtmlHelpSet> set(new HtmlHelpSet);
    set->m_file = info.absoluteFilePath();
    const QString root = QStringLiteral("/qm-help/%1").arg(++g_nextRoot);
    if (!QResource::registerResource(set->m_file, root))
        return qm::makeError(QStringLiteral("Cannot open the help file \"%1\": it is not a compiled help file.").arg(helpFile));
    set->m_root = root;
    if (qm::Status status = set->readProject(); !status.ok())
        return status.error();
    return set;
}

qm::Status HtmlHelpSet::readProject()
{
    QFile project(QLatin1Char(':') + m_root + QLatin1Char('/') + kProjectPage);
    if (!project.open(QIODevice::ReadOnly | QIODevice::Text))
        return qm::makeError(QStringLiteral("The help file \"%1\" has no project page %2.").arg(m_file, kProjectPage));
    QString section;
    int lineNumber = 0;
    const QStringList lines = QString::fromUtf8(project.readAll()).split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        ++lineNumber;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).toUpper();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return qm::makeError(QStringLiteral("The help file \"%1\": line %2 of %3 is not \"name=value\": \"%4\".")
                                     .arg(m_file)
                                     .arg(lineNumber)
                                     .arg(kProjectPage, line));
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (section == QLatin1String("OPTIONS")) {
            if (key.compare(QLatin1String("Title"), Qt::CaseInsensitive) == 0)
                m_title = value;
            else if (key.compare(QLatin1String("Default topic"), Qt::CaseInsensitive) == 0)
                m_defaultPage = value;
        } else if (section == QLatin1String("MAP")) {
            bool isNumber = false;
            const int context = key.toInt(&isNumber);
            if (!isNumber || context <= 0)
                return qm::makeError(QStringLiteral("The help file \"%1\": line %2 of %3 maps \"%4\", which is not a "
                                                    "context number.")
                                         .arg(m_file)
                                         .arg(lineNumber)
                                         .arg(kProjectPage, key));
            m_map.insert(context, value);
        } else if (section == QLatin1String("TOC")) {
            m_contents.append({value, pageUrl(key)});
        }
    }
    if (m_defaultPage.isEmpty())
        return qm::makeError(QStringLiteral("The help file \"%1\" names no default topic.").arg(m_file));
    return {};
}

QUrl HtmlHelpSet::pageUrl(const QString &page) const
{
    QUrl url;
    url.setScheme(QStringLiteral("qrc"));
    const qsizetype hash = page.indexOf(QLatin1Char('#'));
    url.setPath(m_root + QLatin1Char('/') + page.left(hash));
    if (hash >= 0)
        url.setFragment(page.mid(hash + 1));
    return url;
}

qm::Result<QUrl> HtmlHelpSet::topic(int context) const
{
    QString page = m_defaultPage;
    if (context != 0) {
        const auto found = m_map.constFind(context);
        if (found == m_map.constEnd())
            return qm::makeError(QStringLiteral("The help file \"%1\" has no topic for context %2.").arg(m_file, QString::number(context)));
        page = *found;
    }
    const QUrl url = pageUrl(page);
    if (!QFile::exists(QLatin1Char(':') + url.path()))
        return qm::makeError(QStringLiteral("The help file \"%1\" does not contain the page \"%2\".").arg(m_file, page));
    return url;
}

bool HtmlHelpSet::contains(const QUrl &url) const
{
    return url.scheme() == QLatin1String("qrc") && url.path().startsWith(m_root + QLatin1Char('/')) &&
           QFile::exists(QLatin1Char(':') + url.path());
}

} // namespace win32
