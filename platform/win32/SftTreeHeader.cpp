#include "platform/win32/SftTreeHeader.h"

#include <QPainter>

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

} // namespace win32
