#pragma once

#include <QStyledItemDelegate>

#include <QTextLayout>

#include <functional>
#include <memory>

namespace win32 {

// Draws the grid's cells: a text of several lines on one line with a mark at
// each break, and a cell cut off by the viewport's edge laid out in its visible
// part, so that a right-aligned text still shows where the cell can be seen;
// a cell with a note gets a flag in its corner, and the runs of its text that
// the source names (misspelt words) a wavy underline.
class SftTreeCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr char16_t kLineBreakMark = u'\u21B5';  // ↵
    // The flag in the top right corner of a cell with a note, in pixels.
    static constexpr int kNoteMarkSize = 9;

    // visibleArea gives, in viewport coordinates, where the cell of a column can be seen.
    SftTreeCellDelegate(std::function<QRect(int column)> visibleArea, QObject *parent = nullptr);

    QString displayText(const QVariant &value, const QLocale &locale) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    static QString oneLine(const QString &text);
    static void paintNoteMark(QPainter *painter, const QRect &cell);

    // The position in the cell's text (as the source holds it) of the
    // character drawn at `point` (viewport coordinates), -1 when none is.
    int textPositionAt(const QStyleOptionViewItem &option, const QModelIndex &index, QPoint point) const;
    // Where each underlined run is drawn, in viewport coordinates, as paint() draws it.
    QList<QRect> underlineRects(const QStyleOptionViewItem &option, const QModelIndex &index) const;

private:
    // The cell's text laid out on one line as the style draws it.
    struct LaidOut {
        std::unique_ptr<QTextLayout> layout;
        QPointF origin;
        QRect textRect;
        QString text;             // as the source holds it
        qsizetype shownLength = 0; // of the drawn text before an ellipsis
    };
    LaidOut layOut(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    QStyleOptionViewItem shownOption(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintUnderlines(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;

    std::function<QRect(int column)> m_visibleArea;
};

} // namespace win32
