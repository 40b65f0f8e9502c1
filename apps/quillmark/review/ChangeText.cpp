#include "ChangeText.h"
#include "EscapedText.h"

#include "platform/win32core/Nls.h"

#include <optional>
#include <string_view>

namespace cli {

namespace {

std::string number(qint64 value)
{
    return std::to_string(value);
}

std::string resourceLine(const char *what, const merge::ResourceKey &key)
{
    std::string line = std::string("resource\t") + what + '\t' + resourceName(key.type) + '\t' + resourceName(key.name) +
                       '\t' + number(key.language);
    if (key.occurrence > 0)
        line += "\t#" + number(key.occurrence + 1);
    return line + '\n';
}

const char *changeKind(const QString &before, const QString &after)
{
    return before.isNull() ? "added" : after.isNull() ? "removed" : "changed";
}

template<typename T>
const char *changeKind(const std::optional<T> &before, const std::optional<T> &after)
{
    return !before ? "added" : !after ? "removed" : "changed";
}

std::string jsonResource(const merge::ResourceKey &key)
{
    std::string out = "{\"type\": " + resourceName(key.type) + ", \"name\": " + resourceName(key.name) +
                      ", \"lang\": " + number(key.language);
    if (key.occurrence > 0)
        out += ", \"occurrence\": " + number(key.occurrence + 1);
    return out + '}';
}

QString locale(qint32 localeId)
{
    const QString tag = localeId >= 0 ? win32::LCIDToLocaleName(win32::LCID(localeId)) : QString();
    return tag.isEmpty() ? QString::number(localeId) : QStringLiteral("%1 (%2)").arg(QString::number(localeId), tag);
}

QString quoted(const QString &text)
{
    std::string out;
    appendJsonString(out, text);
    return QString::fromStdString(out);
}

// How one side's text reads in a conflict: quoted, or what its absence means.
QString sideText(const char *side, const QString &text, bool inBase)
{
    if (!text.isNull())
        return QStringLiteral("%1 %2").arg(QLatin1String(side), quoted(text));
    return QStringLiteral("%1 %2").arg(QLatin1String(side), inBase ? QStringLiteral("(removed)") : QStringLiteral("(none)"));
}

} // namespace

std::string diffLines(const std::vector<merge::CellChange> &strings, const std::vector<merge::ResourceChange> &resources)
{
    std::string out;
    for (const merge::CellChange &change : strings) {
        out += std::string("string\t") + changeKind(change.before, change.after) + '\t' + number(change.localeId) + '\t' +
               number(change.id);
        if (!change.before.isNull())
            out += '\t' + lineText(change.before);
        if (!change.after.isNull())
            out += '\t' + lineText(change.after);
        out += '\n';
    }
    for (const merge::ResourceChange &change : resources)
        out += resourceLine(changeKind(change.before, change.after), change.key);
    return out;
}

std::string diffJson(const std::vector<merge::CellChange> &strings, const std::vector<merge::ResourceChange> &resources)
{
    std::string out = "{\"strings\": {";
    for (const char *kind : {"added", "removed", "changed"}) {
        out += std::string(kind[0] == 'a' ? "" : ", ") + '"' + kind + "\": [";
        bool first = true;
        for (const merge::CellChange &change : strings) {
            if (std::string_view(changeKind(change.before, change.after)) != kind)
                continue;
            out += first ? "[" : ", [";
            first = false;
            out += number(change.localeId) + ", " + number(change.id);
            for (const QString *text : {&change.before, &change.after})
                if (!text->isNull()) {
                    out += ", ";
                    appendJsonString(out, *text);
                }
            out += ']';
        }
        out += ']';
    }
    out += std::string("}, \"resources\": {\"differ\": ") + (resources.empty() ? "false" : "true");
    for (const char *kind : {"added", "removed", "changed"}) {
        out += std::string(", \"") + kind + "\": [";
        bool first = true;
        for (const merge::ResourceChange &change : resources) {
            if (std::string_view(changeKind(change.before, change.after)) != kind)
                continue;
            out += first ? "" : ", ";
            first = false;
            out += jsonResource(change.key);
        }
        out += ']';
    }
    return out + "}}\n";
}

QString describeConflict(const merge::CellConflict &conflict)
{
    const bool inBase = !conflict.base.isNull();
    return QStringLiteral("conflict in string %1, locale %2: %3, %4, %5")
        .arg(QString::number(conflict.id), locale(conflict.localeId), sideText("base", conflict.base, false),
             sideText("ours", conflict.mine, inBase), sideText("theirs", conflict.theirs, inBase));
}

QString describeConflict(const merge::ResourceConflict &conflict)
{
    const auto what = [&](const std::optional<resutil::ResResource> &side) {
        return QLatin1String(changeKind(conflict.base, side));
    };
    const merge::ResourceKey &key = conflict.key;
    return QStringLiteral("conflict in resource type %1, name %2, language %3: ours %4 it, theirs %5 it")
        .arg(QString::fromStdString(resourceName(key.type)), QString::fromStdString(resourceName(key.name)),
             QString::number(key.language), what(conflict.mine), what(conflict.theirs));
}

QString describeConflict(const reviewstate::StateConflict &conflict)
{
    // The line's fields apart by spaces: a tab would not show.
    const auto side = [](const char *name, const std::optional<QByteArray> &line) {
        if (!line)
            return QStringLiteral("%1 (none)").arg(QLatin1String(name));
        return QStringLiteral("%1 \"%2\"").arg(QLatin1String(name), QString::fromUtf8(QByteArray(*line).replace('\t', ' ')));
    };
    QString where;
    switch (conflict.kind) {
    case reviewstate::StateConflict::Header: where = QStringLiteral("the header"); break;
    case reviewstate::StateConflict::String: where = QStringLiteral("string %1").arg(conflict.id); break;
    case reviewstate::StateConflict::Cell:
        where = QStringLiteral("string %1, locale %2").arg(QString::number(conflict.id), locale(conflict.localeId));
        break;
    }
    return QStringLiteral("conflict in the review state of %1: %2, %3, %4")
        .arg(where, side("base", conflict.base), side("ours", conflict.ours), side("theirs", conflict.theirs));
}

} // namespace cli
