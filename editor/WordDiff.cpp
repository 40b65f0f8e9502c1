#include "editor/WordDiff.h"

#include <algorithm>

namespace {

// Longer texts are told as replaced as a whole: the table below grows with
// the product of their word counts.
constexpr std::size_t kMaxCells = 250000;

std::vector<QStringView> wordsOf(QStringView text)
{
    std::vector<QStringView> words;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype end = i + 1;
        if (text[i].isLetterOrNumber()) {
            while (end < text.size() && text[end].isLetterOrNumber())
                ++end;
        }
        words.push_back(text.mid(i, end - i));
        i = end;
    }
    return words;
}

void append(std::vector<DiffPart> &parts, DiffPart::Kind kind, QStringView text)
{
    if (!parts.empty() && parts.back().kind == kind)
        parts.back().text += text;
    else
        parts.push_back({kind, text.toString()});
}

} // namespace

std::vector<DiffPart> wordDiff(QStringView from, QStringView to)
{
    const std::vector<QStringView> a = wordsOf(from);
    const std::vector<QStringView> b = wordsOf(to);
    std::vector<DiffPart> parts;
    const std::size_t n = a.size(), m = b.size();
    if ((n + 1) * (m + 1) > kMaxCells) {
        if (!from.isEmpty())
            append(parts, DiffPart::Removed, from);
        if (!to.isEmpty())
            append(parts, DiffPart::Added, to);
        return parts;
    }
    // common[i][j]: the longest common run of words of a[i..] and b[j..].
    std::vector<int> common((n + 1) * (m + 1), 0);
    const auto at = [m](std::size_t i, std::size_t j) { return i * (m + 1) + j; };
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            common[at(i, j)] = a[i] == b[j] ? common[at(i + 1, j + 1)] + 1
                                            : std::max(common[at(i + 1, j)], common[at(i, j + 1)]);
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[i] == b[j]) {
            append(parts, DiffPart::Same, a[i]);
            ++i, ++j;
        } else if (i < n && (j == m || common[at(i + 1, j)] >= common[at(i, j + 1)])) {
            append(parts, DiffPart::Removed, a[i++]);
        } else {
            append(parts, DiffPart::Added, b[j++]);
        }
    }
    return parts;
}

QString diffHtml(const std::vector<DiffPart> &parts)
{
    QString html;
    for (const DiffPart &part : parts) {
        const QString text = part.text.toHtmlEscaped();
        switch (part.kind) {
        case DiffPart::Same:
            html += text;
            break;
        case DiffPart::Removed:
            html += QStringLiteral("<s>") + text + QStringLiteral("</s>");
            break;
        case DiffPart::Added:
            html += QStringLiteral("<b>") + text + QStringLiteral("</b>");
            break;
        }
    }
    return html;
}
