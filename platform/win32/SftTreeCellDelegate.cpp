#include "platform/win32/SftTreeCellDelegate.h"

#include "platform/common/LineBreak.h"
#include "platform/win32/SftTreeModel.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>

namespace win32 {

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
    QStyleOptionViewItem shown = option;
    if (m_visibleArea) {
        const QRect visible = option.rect.intersected(m_visibleArea(index.column()));
        if (!visible.isEmpty())
            shown.rect = visible;
    }
    QStyledItemDelegate::paint(painter, shown, index);
    if (index.data(SftTreeModel::CellNoteRole).isValid())
        paintNoteMark(painter, shown.rect);
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
