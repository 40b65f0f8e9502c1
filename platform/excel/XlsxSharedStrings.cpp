#include "platform/excel/OoxmlText.h"
#include "platform/excel/XlsxParts.h"

namespace excel::backend {

int SharedStrings::index(const QString &text)
{
    ++m_uses;
    auto it = m_index.constFind(text);
    if (it != m_index.constEnd())
        return it.value();
    const int i = int(m_texts.size());
    m_index.insert(text, i);
    m_texts.push_back(text);
    return i;
}

QByteArray sharedStringsXml(const SharedStrings &strings)
{
    QByteArray out;
    out.reserve(qsizetype(strings.count()) * 24 + 256);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns=\"";
    out += MainNamespace;
    out += "\" count=\"" + QByteArray::number(strings.uses()) + "\" uniqueCount=\"" + QByteArray::number(strings.count()) + "\">";
    for (const QString &text : strings.texts()) {
        // Leading or trailing blanks and line breaks need xml:space to survive.
        const bool keepSpace = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
        out += keepSpace ? "<si><t xml:space=\"preserve\">" : "<si><t>";
        appendEscapedText(out, text);
        out += "</t></si>";
    }
    out += "</sst>";
    return out;
}

} // namespace excel::backend
