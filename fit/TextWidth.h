#pragma once

// The check rule "width": a translation that, drawn in its language's display
// font, is wider than the source drawn in the source language's by more than a
// factor, each line of a multi-line text measured on its own.

#include "checks/StringTableChecks.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

namespace resutil {
class ResStrings;
}

namespace fit {

inline constexpr double kDefaultFactor = 1.3;

// The line as a control draws it: an access key's & is not drawn, && is one &.
QString drawnText(QStringView line);

// Each line of translation against the same line of source (a line the source
// lacks against the source's widest); the first line wider than factor times
// its source line is the problem, which names both widths in whole pixels.
std::optional<checks::Problem> checkWidth(QStringView source, const QFontMetricsF &sourceFont, QStringView translation,
                                          const QFontMetricsF &translationFont, double factor);
// The same with the widths of drawn lines (drawnText) told by the caller, who may keep them.
using LineWidth = std::function<double(const QString &drawnLine)>;
std::optional<checks::Problem> checkWidth(QStringView source, const LineWidth &sourceWidth, QStringView translation,
                                          const LineWidth &translationWidth, double factor);
// The lines of a text, split at CR LF, LF and CR.
QList<QStringView> textLines(QStringView text);

// The font of each language (as the grid draws its column), asked once per language.
using FontForLocale = std::function<QFont(qint32 localeId)>;

// The width problems of every language but the source's, sorted by locale,
// then string ID. Needs a QGuiApplication.
std::vector<checks::StringProblem> checkWidths(const resutil::ResStrings &strings, qint32 sourceLocale,
                                               const FontForLocale &fontFor, double factor = kDefaultFactor);

} // namespace fit
