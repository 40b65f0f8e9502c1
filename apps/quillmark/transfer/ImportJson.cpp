#include "ImportJson.h"
#include "EscapedText.h"

#include <utility>

namespace cli {

ImportJsonWriter::ImportJsonWriter()
{
    m_out.append("{\"entries\": [");
}

void ImportJsonWriter::reserve(qint64 entries)
{
    m_out.reserve(size_t(entries) * 24 + 64);
}

void ImportJsonWriter::add(qint32 localeId, qint32 id, QStringView text)
{
    if (!m_first)
        m_out.append(", ");
    m_first = false;
    m_out.push_back('[');
    m_out.append(std::to_string(localeId));
    m_out.append(", ");
    m_out.append(std::to_string(id));
    m_out.append(", ");
    appendJsonString(m_out, text);
    m_out.push_back(']');
}

std::string ImportJsonWriter::finish(const QStringList &messages, int progressMaximum)
{
    m_out.append("], \"messages\": [");
    for (qsizetype i = 0; i < messages.size(); ++i) {
        if (i > 0)
            m_out.append(", ");
        QString message = messages[i];
        message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        appendJsonString(m_out, message);
    }
    m_out.append("], \"progress_max\": ");
    m_out.append(std::to_string(progressMaximum));
    m_out.append("}\n");
    return std::move(m_out);
}

QByteArray importJson(const std::vector<ExcelTransfer::ImportedString> &entries, const QStringList &messages,
                      int progressMaximum)
{
    ImportJsonWriter writer;
    writer.reserve(qint64(entries.size()));
    for (const ExcelTransfer::ImportedString &entry : entries)
        writer.add(entry.localeId, entry.id, entry.text);
    const std::string out = writer.finish(messages, progressMaximum);
    return QByteArray(out.data(), qsizetype(out.size()));
}

} // namespace cli
