#pragma once

#include "platform/common/Result.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

// Small edits to a package part that keep every other byte of it: find
// elements, then insert before an end tag, rewrite a start tag or cut an element.
namespace excel::backend {

struct XmlElement {
    QByteArray qname; // as written, prefix included
    QList<QPair<QByteArray, QByteArray>> attributes; // in document order, values decoded
    qint64 start = 0;        // offset of '<'
    qint64 startLength = 0;  // length of the start tag
    qint64 endTag = -1;      // offset of "</...>", -1 for an empty-element tag
    qint64 endTagLength = 0;

    QByteArray prefix() const; // "x:" or ""
    QByteArray attribute(const char *local) const;
};

// The elements whose local name `want` accepts, in document order. Refuses
// documents not in UTF-8.
qm::Result<QList<XmlElement>> findElements(const QByteArray &document, const QString &part,
                                           const std::function<bool(const char *local)> &want);

class XmlEditor {
public:
    explicit XmlEditor(QByteArray document) : m_doc(std::move(document)) {}
    // Inserts markup as the last content of `element`.
    void appendInside(const XmlElement &element, const QByteArray &markup);
    // Replaces the start tag by one with these attributes.
    void setAttributes(const XmlElement &element, const QList<QPair<QByteArray, QByteArray>> &attributes);
    void remove(const XmlElement &element);
    QByteArray result() const;

private:
    struct Edit {
        qint64 at, length;
        QByteArray text;
    };
    QByteArray m_doc;
    QList<Edit> m_edits;
};

QByteArray startTag(const QByteArray &qname, const QList<QPair<QByteArray, QByteArray>> &attributes, bool empty);

} // namespace excel::backend
