#include "editor/PastePlan.h"

#include "uistrings/LgvStringModule.h"

#include <QSet>

#include <algorithm>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kTooWide = 773;         // "The text to paste is %0 columns wide, ..."
constexpr int kTooLong = 774;         // "The text to paste has %0 rows, ..."
constexpr int kNotAnId = 775;         // "Row %0 ... has "%1" in the Resource ID column, ..."
constexpr int kIdTwice = 776;         // "... names string ID %0 more than once."
constexpr int kTextTooLong = 777;     // "A text in row %0 ... is longer than ..."
constexpr int kNothingToPaste = 778;  // "The clipboard holds no text to paste."
constexpr qint64 kMaxStringId = 65535;
constexpr int kShownIdLength = 40;    // of a wrong ID in the message

// A whole number from 0 to 65535, as a spreadsheet shows an ID cell.
bool readStringId(const QString &text, qint32 &id)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < 0 || value > kMaxStringId)
        return false;
    id = static_cast<qint32>(value);
    return true;
}

PastePlan refuse(const QString &reason)
{
    PastePlan plan;
    plan.refusal = reason;
    return plan;
}
} // namespace

PastePlan planPaste(const PasteInput &input)
{
    const QList<QStringList> &lines = input.lines;
    if (lines.isEmpty())
        return refuse(lgv_string(kNothingToPaste));
    const bool byId = input.startVisual == 0;
    qsizetype width = 0;
    for (const QStringList &line : lines)
        width = std::max(width, line.size());
    const qsizetype room = input.columnOrder.size() - input.startVisual;
    if (width > room)
        return refuse(SubstituteParameters(lgv_string(kTooWide), width, room));
    const auto shown = static_cast<qsizetype>(input.shownIds.size());
    if (!byId && input.startPosition + lines.size() > shown)
        return refuse(SubstituteParameters(lgv_string(kTooLong), lines.size(), shown - input.startPosition));

    // Every line checked before anything changes.
    PastePlan plan;
    plan.width = static_cast<int>(width);
    QSet<qint32> seen;
    for (qsizetype line = 0; line < lines.size(); ++line) {
        for (const QString &cell : lines[line]) {
            if (cell.size() > input.maxTextLength)
                return refuse(SubstituteParameters(lgv_string(kTextTooLong), line + 1));
        }
        qint32 id = 0;
        if (!byId) {
            id = input.shownIds[static_cast<std::size_t>(input.startPosition + line)];
        } else if (!readStringId(lines[line].value(0), id)) {
            QString wrong = lines[line].value(0);
            if (wrong.size() > kShownIdLength)
                wrong = wrong.left(kShownIdLength) + QStringLiteral("...");
            return refuse(SubstituteParameters(lgv_string(kNotAnId), line + 1, wrong));
        } else if (seen.contains(id)) {
            return refuse(SubstituteParameters(lgv_string(kIdTwice), id));
        }
        seen.insert(id);
        plan.ids.append(id);
    }

    for (qsizetype line = 0; line < lines.size(); ++line) {
        const qint32 id = plan.ids[line];
        bool texts = false;
        for (qsizetype field = byId ? 1 : 0; field < lines[line].size(); ++field) {
            const qint32 locale = input.localeOf(input.columnOrder[input.startVisual + static_cast<int>(field)]);
            if (locale < 0)
                continue;
            texts = true;
            const QString &text = lines[line][field];
            const std::optional<QString> before = input.textOf(locale, id);
            if (before ? *before == text : text.isEmpty())
                continue;
            plan.changes.push_back({locale, id, before, text});
        }
        if (byId && texts && !input.hasRow(id))
            plan.newRows.append(id);
    }
    return plan;
}
