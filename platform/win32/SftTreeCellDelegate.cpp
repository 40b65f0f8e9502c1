#include "platform/win32/SftTreeCellDelegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

namespace win32 {

SftTreeCellDelegate::SftTreeCellDelegate(std::function<QRect(int column)> visibleArea, QObject *parent)
    : QStyledItemDelegate(parent), m_visibleArea(std::move(visibleArea))
{
}

QString SftTreeCellDelegate::oneLine(const QString &text)
{
    QString line = text;
    const QChar mark(kLineBreakMark);
    line.replace(QLatin1String("\r\n"), QString(mark));
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
