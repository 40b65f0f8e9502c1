#include "platform/win32/SftTreeCellDelegate.h"

#include "platform/common/LineBreak.h"
#include "platform/win32/SftTreeModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>

namespace win32 {

namespace {

// A CR LF pair is drawn as one mark: positions after it move one to the left.
qsizetype shownPosition(const QString &text, qsizetype position)
{
    qsizetype shown = position;
    for (qsizetype i = 0; i + 1 < position && i + 1 < text.size(); ++i)
        if (text[i] == u'\r' && text[i + 1] == u'\n')
            --shown;
    return shown;
}

qsizetype sourcePosition(const QString &text, qsizetype shown)
{
    qsizetype position = 0;
    for (qsizetype drawn = 0; drawn < shown && position < text.size(); ++drawn)
        position += text[position] == u'\r' && position + 1 < text.size() && text[position + 1] == u'\n' ? 2 : 1;
    return position;
}

QList<TextRange> underlinedRanges(const QModelIndex &index)
{
    const QVariant value = index.data(SftTreeSource::UnderlinedRangesRole);
    return value.isValid() ? value.value<QList<TextRange>>() : QList<TextRange>();
}

} // namespace

SftTreeCellDelegate::SftTreeCellDelegate(std::function<QRect(int column)> visibleArea, QObject *parent)
    : QStyledItemDelegate(parent), m_visibleArea(std::move(visibleArea))
{
}

QString SftTreeCellDelegate::oneLine(const QString &text)
{
    QString line = text;
    const QChar mark(kLineBreakMark);
    line.replace(qm::crlf(), QString(mark));
    for (QChar lineBreak : {QChar(u'\n'), QChar(u'\r'), QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)})
        line.replace(lineBreak, mark);
    return line;
}

QString SftTreeCellDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    if (value.typeId() == QMetaType::QString)
        return oneLine(value.toString());
    return QStyledItemDelegate::displayText(value, locale);
}

void SftTreeCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QStyleOptionViewItem shown = shownOption(option, index);
    QStyledItemDelegate::paint(painter, shown, index);
    paintUnderlines(painter, shown, index);
    if (index.data(SftTreeModel::CellNoteRole).isValid())
        paintNoteMark(painter, shown.rect);
}

QStyleOptionViewItem SftTreeCellDelegate::shownOption(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem shown = option;
    if (m_visibleArea) {
        const QRect visible = option.rect.intersected(m_visibleArea(index.column()));
        if (!visible.isEmpty())
            shown.rect = visible;
    }
    return shown;
}

// As QCommonStyle lays out an item's text: the text rectangle less the focus
// margin, one line, elided at the right, aligned and centred vertically.
SftTreeCellDelegate::LaidOut SftTreeCellDelegate::layOut(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    LaidOut out;
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    out.text = index.data(Qt::DisplayRole).toString();
    const QWidget *widget = item.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    out.textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(margin, 0, -margin, 0);
    const QString drawn = item.text;
    const QString elided = QFontMetrics(item.font).elidedText(drawn, item.textElideMode, out.textRect.width());
    out.shownLength = elided == drawn ? drawn.size() : std::max<qsizetype>(0, elided.size() - 1);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(item.direction);
    textOption.setAlignment(QStyle::visualAlignment(item.direction, item.displayAlignment));
    out.layout = std::make_unique<QTextLayout>(elided, item.font);
    out.layout->setTextOption(textOption);
    out.layout->beginLayout();
    QTextLine line = out.layout->createLine();
    if (line.isValid())
        line.setLineWidth(out.textRect.width());
    out.layout->endLayout();
    const qreal height = line.isValid() ? line.height() : 0;
    out.origin = QPointF(out.textRect.left(), out.textRect.top() + (out.textRect.height() - height) / 2);
    return out;
}

QList<QRect> SftTreeCellDelegate::underlineRects(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QList<QRect> rects;
    const QList<TextRange> ranges = underlinedRanges(index);
    if (ranges.isEmpty())
        return rects;
    const LaidOut laidOut = layOut(shownOption(option, index), index);
    const QTextLine line = laidOut.layout->lineCount() > 0 ? laidOut.layout->lineAt(0) : QTextLine();
    if (!line.isValid())
        return rects;
    const int baseline = int(laidOut.origin.y() + line.ascent());
    for (const TextRange &range : ranges) {
        const qsizetype from = shownPosition(laidOut.text, range.start);
        const qsizetype to = std::min(shownPosition(laidOut.text, range.start + range.length), laidOut.shownLength);
        if (from >= to)
            continue;
        const qreal a = laidOut.origin.x() + line.cursorToX(int(from));
        const qreal b = laidOut.origin.x() + line.cursorToX(int(to));
        const QRect rect = QRect(QPoint(int(std::min(a, b)), baseline + 1), QPoint(int(std::max(a, b)), baseline + 3))
                               .intersected(laidOut.textRect.adjusted(0, 0, 0, 3));
        if (!rect.isEmpty())
            rects.append(rect);
    }
    return rects;
}

void SftTreeCellDelegate::paintUnderlines(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QList<QRect> rects = underlineRects(option, index);
    if (rects.isEmpty())
        return;
    painter->save();
    painter->setClipRect(option.rect);
    // Whole pixels, so that the thin wave stays as red as it is drawn.
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(QColor(0xD0, 0x10, 0x10), 0));
    for (const QRect &rect : rects) {
        // A wave two pixels high, as word processors mark a word their dictionary lacks.
        QPolygon wave;
        bool up = false;
        for (int x = rect.left(); x <= rect.right(); x += 2, up = !up)
            wave << QPoint(x, up ? rect.top() : rect.top() + 2);
        painter->drawPolyline(wave);
    }
    painter->restore();
}

int SftTreeCellDelegate::textPositionAt(const QStyleOptionViewItem &option, const QModelIndex &index, QPoint point) const
{
    const QStyleOptionViewItem shown = shownOption(option, index);
    if (!shown.rect.contains(point))
        return -1;
    const LaidOut laidOut = layOut(shown, index);
    if (laidOut.layout->lineCount() == 0)
        return -1;
    const QTextLine line = laidOut.layout->lineAt(0);
    const qreal x = point.x() - laidOut.origin.x();
    const qreal left = line.cursorToX(0);
    const qreal right = line.cursorToX(int(laidOut.shownLength));
    if (x < std::min(left, right) || x > std::max(left, right))
        return -1;
    // The character whose box holds x, not the nearest gap between two.
    int drawn = line.xToCursor(x, QTextLine::CursorOnCharacter);
    drawn = std::clamp(drawn, 0, int(std::max<qsizetype>(0, laidOut.shownLength - 1)));
    return int(sourcePosition(laidOut.text, drawn));
}

void SftTreeCellDelegate::paintNoteMark(QPainter *painter, const QRect &cell)
{
    // A corner flag, as spreadsheets mark a cell with a comment: a shape, not only a colour.
    const int size = std::min({kNoteMarkSize, cell.width(), cell.height()});
    if (size < 3)
        return;
    QPainterPath flag;
    flag.moveTo(cell.right() + 1 - size, cell.top());
    flag.lineTo(cell.right() + 1, cell.top());
    flag.lineTo(cell.right() + 1, cell.top() + size);
    flag.closeSubpath();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(flag, QColor(0xC8, 0x3C, 0x00));
    painter->restore();
}

bool SftTreeCellDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                    const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString tip = index.data(Qt::ToolTipRole).toString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return false;
    }
    // As written, line by line: never taken for markup.
    QString html = tip.toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    QToolTip::showText(event->globalPos(), QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>").arg(html),
                       view->viewport(), option.rect);
    return true;
}

} // namespace win32
