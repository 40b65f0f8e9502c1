#include "ImportJson.h"
#include "EscapedText.h"

#include <string>

namespace cli {

QByteArray importJson(const std::vector<ExcelTransfer::ImportedString> &entries, const QStringList &messages,
                      int progressMaximum)
{
    std::string out;
    out.reserve(entries.size() * 24 + 64);
    out.append("{\"entries\": [");
    bool first = true;
    for (const ExcelTransfer::ImportedString &entry : entries) {
        if (!first)
            out.append(", ");
        first = false;
        out.push_back('[');
        out.append(std::to_string(entry.localeId));
        out.append(", ");
        out.append(std::to_string(entry.id));
        out.append(", ");
        appendJsonString(out, entry.text);
        out.push_back(']');
    }
    out.append("], \"messages\": [");
    for (qsizetype i = 0; i < messages.size(); ++i) {
        if (i > 0)
            out.append(", ");
        QString message = messages[i];
        message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        appendJsonString(out, message);
    }
    out.append("], \"progress_max\": ");
    out.append(std::to_string(progressMaximum));
    out.append("}\n");
    return QByteArray(out.data(), qsizetype(out.size()));
}

} // namespace cli
