#include "platform/win32/SftTreeHeader.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>

namespace win32 {

SftTreeHeader::SftTreeHeader(Qt::Orientation orientation, QWidget *parent) : QHeaderView(orientation, parent) {}

void SftTreeHeader::paintEvent(QPaintEvent *event)
{
    QHeaderView::paintEvent(event);
    if (count() < 2 || visualIndex(0) != 0 || offset() <= 0 || sectionSize(0) >= viewport()->width())
        return;
    QPainter painter(viewport());
    const QRect section(0, 0, sectionSize(0), viewport()->height());
    painter.fillRect(section, palette().brush(QPalette::Button));
    paintSection(&painter, section, 0);
}

void SftTreeHeader::initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const
{
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    QStyleOptionHeader section = *option;  // its rect is only set after this, for painting
    section.rect = QRect(0, 0, sectionSize(logicalIndex), height());
    const int room = style()->subElementRect(QStyle::SE_HeaderLabel, &section, this).width();
    option->text = option->fontMetrics.elidedText(option->text, Qt::ElideRight, room);
}

} // namespace win32
