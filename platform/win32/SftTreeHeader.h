#pragma once

#include <QHeaderView>

namespace win32 {

// The grid's column header: while the grid is scrolled sideways, column 0's
// section stays drawn at the left edge, as its cells do.
class SftTreeHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit SftTreeHeader(Qt::Orientation orientation, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    // A caption wider than its section ends in "…" instead of being cut off.
    void initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const override;
};

} // namespace win32
