#include "editor/WidthNotes.h"

#include "platform/win32/SftTreeSource.h"
#include "uistrings/LgvStringModule.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

using LgvStringModule::lgv_string;
using LgvStringModule::SubstituteParameters;

namespace {
constexpr int kWiderThanSource = 1306;      // "%0 pixels wide, the source %1"
constexpr int kLineWiderThanSource = 1307;  // "Line %0 is %1 pixels wide, the source's %2"
constexpr int kWiderThanLimit = 1308;       // "%0 pixels wide, at most %1"
// Enough for the lines of a large table in one font; dropped rather than grown beyond it.
constexpr qsizetype kMaxKeptWidths = 1 << 17;

int pixels(double width) { return int(std::ceil(width - 1e-6)); }
} // namespace

fit::LineWidth WidthNotes::widthIn(const QFont &font) const
{
    std::shared_ptr<FontWidths> &kept = m_fonts[font.key()];
    if (!kept)
        kept = std::make_shared<FontWidths>(FontWidths{font, {}});
    return [kept](const QString &line) {
        if (const auto it = kept->widths.constFind(line); it != kept->widths.constEnd())
            return *it;
        if (kept->widths.size() >= kMaxKeptWidths)
            kept->widths.clear();
        const double width = QFontMetricsF(kept->font).horizontalAdvance(line);
        kept->widths.insert(line, width);
        return width;
    };
}

QStringList WidthNotes::problems(const win32::SftTreeSource &grid, int row, int column, int sourceColumn) const
{
    QStringList found;
    QString scratch;
    const QStringView text = grid.cellTextView(row, column, scratch);
    if (text.isEmpty())
        return found;
    const fit::LineWidth width = widthIn(grid.fontOf(grid.cellFont(row, column)));
    QString sourceScratch;
    const QStringView source = sourceColumn >= 1 ? grid.cellTextView(row, sourceColumn, sourceScratch) : QStringView();
    if (m_againstSource && !source.isEmpty()) {
        const fit::LineWidth sourceWidth = widthIn(grid.fontOf(grid.cellFont(row, sourceColumn)));
        if (const std::optional<checks::Problem> wider = fit::checkWidth(source, sourceWidth, text, width, m_factor))
            found << (wider->line > 0 ? SubstituteParameters(lgv_string(kLineWiderThanSource), QString::number(wider->line),
                                                             QString::number(wider->count), QString::number(wider->sourceCount))
                                      : SubstituteParameters(lgv_string(kWiderThanSource), QString::number(wider->count),
                                                             QString::number(wider->sourceCount)));
    }
    const int limit = m_maxWidth && grid.hasItemData(row) ? m_maxWidth(grid.itemData(row)) : 0;
    if (limit > 0) {
        double widest = 0;
        for (QStringView line : fit::textLines(text))
            widest = std::max(widest, width(fit::drawnText(line)));
        if (pixels(widest) > limit)
            found << SubstituteParameters(lgv_string(kWiderThanLimit), QString::number(pixels(widest)), QString::number(limit));
    }
    return found;
}
