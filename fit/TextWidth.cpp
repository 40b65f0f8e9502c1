#include "fit/TextWidth.h"

#include "platform/resutil/ResStrings.h"

#include <QList>
#include <QMap>

#include <algorithm>
#include <cmath>
#include <memory>

namespace fit {

namespace {

int pixels(double width) { return int(std::ceil(width - 1e-6)); }

} // namespace

QList<QStringView> textLines(QStringView text)
{
    QList<QStringView> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n' && text[i] != u'\r')
            continue;
        out.append(text.sliced(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    out.append(text.sliced(start));
    return out;
}

QString drawnText(QStringView line)
{
    if (!line.contains(u'&'))
        return line.toString();
    QString out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'&' && i + 1 < line.size()) {
            ++i;
            out += line[i];
            continue;
        }
        out += line[i];
    }
    return out;
}

std::optional<checks::Problem> checkWidth(QStringView source, const QFontMetricsF &sourceFont, QStringView translation,
                                          const QFontMetricsF &translationFont, double factor)
{
    return checkWidth(
        source, [&](const QString &line) { return sourceFont.horizontalAdvance(line); }, translation,
        [&](const QString &line) { return translationFont.horizontalAdvance(line); }, factor);
}

std::optional<checks::Problem> checkWidth(QStringView source, const LineWidth &sourceWidth, QStringView translation,
                                          const LineWidth &translationWidth, double factor)
{
    if (source.isEmpty() || translation.isEmpty())
        return std::nullopt;
    const QList<QStringView> sourceLines = textLines(source);
    const QList<QStringView> translationLines = textLines(translation);
    QList<double> sourceWidths;
    double widest = 0;
    for (QStringView line : sourceLines) {
        sourceWidths.append(sourceWidth(drawnText(line)));
        widest = std::max(widest, sourceWidths.last());
    }
    for (qsizetype i = 0; i < translationLines.size(); ++i) {
        const double against = i < sourceWidths.size() ? sourceWidths[i] : widest;
        if (against <= 0)
            continue;
        const double width = translationWidth(drawnText(translationLines[i]));
        if (width > against * factor) {
            checks::Problem problem{checks::Rule::Width, checks::Finding::Wider, {}, pixels(width), pixels(against)};
            problem.line = translationLines.size() > 1 || sourceLines.size() > 1 ? int(i + 1) : 0;
            return problem;
        }
    }
    return std::nullopt;
}

std::vector<checks::StringProblem> checkWidths(const resutil::ResStrings &strings, qint32 sourceLocale,
                                               const FontForLocale &fontFor, double factor)
{
    struct Text {
        qint32 id;
        QStringView text;
    };
    QHash<qint32, QStringView> sources;
    QMap<qint32, std::vector<Text>> byLocale;
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if (entry.localeId == sourceLocale) {
            if (!sources.contains(entry.id))
                sources.insert(entry.id, entry.text);
        } else {
            byLocale[entry.localeId].push_back({entry.id, entry.text});
        }
    });
    std::vector<checks::StringProblem> problems;
    if (sources.isEmpty())
        return problems;
    const QFontMetricsF sourceMetrics(fontFor(sourceLocale));
    for (auto it = byLocale.begin(); it != byLocale.end(); ++it) {
        const QFontMetricsF metrics(fontFor(it.key()));
        std::vector<Text> &texts = it.value();
        std::stable_sort(texts.begin(), texts.end(), [](const Text &a, const Text &b) { return a.id < b.id; });
        texts.erase(std::unique(texts.begin(), texts.end(), [](const Text &a, const Text &b) { return a.id == b.id; }),
                    texts.end());
        for (const Text &text : texts) {
            const auto source = sources.constFind(text.id);
            if (source == sources.constEnd())
                continue;
            if (std::optional<checks::Problem> problem = checkWidth(*source, sourceMetrics, text.text, metrics, factor))
                problems.push_back({it.key(), text.id, std::move(*problem)});
        }
    }
    return problems;
}

} // namespace fit
