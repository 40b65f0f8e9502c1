#pragma once

#include "fit/TextWidth.h"

#include <QFont>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace win32 {
class SftTreeSource;
}

// The width rule in the grid: a translation drawn in its column's font
// against the source drawn in the source column's, by more than the project's
// factor, and against the widest the string may be drawn. Each drawn line's
// width is kept per font, so that painting and filtering measure a text once.
class WidthNotes {
public:
    // Whether translations are measured against the source at all (the
    // maximum widths hold either way).
    void setAgainstSource(bool on) { m_againstSource = on; }
    bool againstSource() const { return m_againstSource; }
    void setFactor(double factor) { m_factor = factor; }
    double factor() const { return m_factor; }
    // A string's maximum width in pixels, 0 for none.
    using MaxWidth = std::function<int(qint32 id)>;
    void setMaxWidth(MaxWidth maxWidth) { m_maxWidth = std::move(maxWidth); }

    // What the cell breaks, one "what" text per problem in the UI language; empty when it fits.
    QStringList problems(const win32::SftTreeSource &grid, int row, int column, int sourceColumn) const;

private:
    struct FontWidths {
        QFont font;
        QHash<QString, double> widths;
    };
    fit::LineWidth widthIn(const QFont &font) const;

    bool m_againstSource = false;
    double m_factor = fit::kDefaultFactor;
    MaxWidth m_maxWidth;
    mutable QHash<QString, std::shared_ptr<FontWidths>> m_fonts;  // by QFont::key()
};
