#pragma once

#include "platform/common/Result.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QUrl>

#include <memory>

namespace win32 {

// A compiled help set: HTML pages in one file (a Qt binary resource), with a
// project page "Quillmark.hhp" inside that names the title, the default topic,
// the map from context numbers to pages and the table of contents:
//
//     [OPTIONS]
//     Title=...
//     Default topic=index.html
//     [MAP]
//     100=addlanguage.html
//     [TOC]
//     index.html=The editor window
//
// The pages stay readable (as qrc: URLs) while the object lives.
class HtmlHelpSet {
public:
    struct Entry {
        QString title;
        QUrl url;
    };

    ~HtmlHelpSet();
    HtmlHelpSet(const HtmlHelpSet &) = delete;
    HtmlHelpSet &operator=(const HtmlHelpSet &) = delete;

    static qm::Result<std::unique_ptr<HtmlHelpSet>> open(const QString &helpFile);

    const QString &file() const { return m_file; }
    const QString &title() const { return m_title; }
    // The page of a context number; 0 gives the default topic.
    qm::Result<QUrl> topic(int context) const;
    const QList<Entry> &contents() const { return m_contents; }
    // True when url is one of this set's pages.
    bool contains(const QUrl &url) const;

private:
    HtmlHelpSet() = default;
    qm::Status readProject();
    QUrl pageUrl(const QString &page) const;

    QString m_file;
    QString m_root;  // where the resource is mapped, "/qm-help/<n>"
    QString m_title;
    QString m_defaultPage;
    QMap<int, QString> m_map;
    QList<Entry> m_contents;
};

} // namespace win32
