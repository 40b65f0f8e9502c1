#include "editor/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>
#include <map>

namespace {

// One palette for the whole set: dark outlines, a few signal colours.
const QColor kInk(0x26, 0x3a, 0x5c);
const QColor kPaper(0xfb, 0xfb, 0xf7);
const QColor kBlue(0x2f, 0x6f, 0xc4);
const QColor kGreen(0x2e, 0x9a, 0x48);
const QColor kRed(0xc8, 0x33, 0x2b);
const QColor kAmber(0xe8, 0xa3, 0x1c);

using Painter = std::function<void(QPainter &)>;

QPen ink(qreal width = 2.0) { return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// A small table: three rows under a header, in the 32-unit square.
void table(QPainter &p, const QRectF &r)
{
    p.setPen(ink(1.6));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), r.height() / 4), QColor(0xc9, 0xd8, 0xef));
    p.drawRect(r);
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(r.left(), r.top() + i * r.height() / 4), QPointF(r.right(), r.top() + i * r.height() / 4));
    p.drawLine(QPointF(r.left() + r.width() / 3, r.top()), QPointF(r.left() + r.width() / 3, r.bottom()));
}

// A round badge with a plus, minus or cross, at the lower right.
void badge(QPainter &p, const QColor &colour, char sign)
{
    const QPointF c(24, 24);
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(colour);
    p.drawEllipse(c, 7.5, 7.5);
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
    if (sign == '+' || sign == '-')
        p.drawLine(c + QPointF(-4, 0), c + QPointF(4, 0));
    if (sign == '+')
        p.drawLine(c + QPointF(0, -4), c + QPointF(0, 4));
    if (sign == 'x') {
        p.drawLine(c + QPointF(-3.2, -3.2), c + QPointF(3.2, 3.2));
        p.drawLine(c + QPointF(-3.2, 3.2), c + QPointF(3.2, -3.2));
    }
}

void globe(QPainter &p, const QPointF &c, qreal radius)
{
    p.setPen(ink(1.6));
    p.setBrush(QColor(0xd7, 0xe8, 0xfb));
    p.drawEllipse(c, radius, radius);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, radius * 0.45, radius);
    p.drawLine(c + QPointF(-radius, 0), c + QPointF(radius, 0));
    p.drawLine(c + QPointF(0, -radius), c + QPointF(0, radius));
}

void page(QPainter &p)
{
    QPainterPath path;
    path.moveTo(7, 3);
    path.lineTo(19, 3);
    path.lineTo(25, 9);
    path.lineTo(25, 29);
    path.lineTo(7, 29);
    path.closeSubpath();
    p.setPen(ink(1.8));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawPolyline(QPolygonF({QPointF(19, 3), QPointF(19, 9), QPointF(25, 9)}));
}

void circleGlyph(QPainter &p, const QColor &colour, const QString &glyph)
{
    p.setPen(QPen(colour.darker(130), 1.5));
    p.setBrush(colour);
    p.drawEllipse(QPointF(16, 16), 13, 13);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(19);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, glyph);
}

const std::map<QString, Painter> &painters()
{
    static const std::map<QString, Painter> all = {
        {QStringLiteral("refresh"),
         [](QPainter &p) {
             p.setPen(QPen(kBlue, 3.2, Qt::SolidLine, Qt::RoundCap));
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(6, 6, 20, 20), 60 * 16, 280 * 16);
             QPainterPath head;
             head.moveTo(17, 1.5);
             head.lineTo(25, 7);
             head.lineTo(16.5, 11.5);
             head.closeSubpath();
             p.setPen(Qt::NoPen);
             p.setBrush(kBlue);
             p.drawPath(head);
         }},
        {QStringLiteral("new"),
         [](QPainter &p) {
             page(p);
             p.setPen(QPen(kInk, 1.2));
             for (int y = 14; y <= 22; y += 4)
                 p.drawLine(QPointF(11, y), QPointF(20, y));
             badge(p, kAmber, '+');
         }},
        {QStringLiteral("save"),
         [](QPainter &p) {
             p.setPen(ink(1.8));
             p.setBrush(kBlue);
             p.drawRoundedRect(QRectF(4, 4, 24, 24), 2.5, 2.5);
             p.setBrush(kPaper);
             p.drawRect(QRectF(9, 4, 14, 9));
             p.setBrush(QColor(0xd7, 0xe8, 0xfb));
             p.drawRect(QRectF(8, 18, 16, 10));
             p.fillRect(QRectF(18, 6, 3, 5), kInk);
         }},
        {QStringLiteral("insertrow"),
         [](QPainter &p) {
             table(p, QRectF(3, 4, 24, 20));
             badge(p, kGreen, '+');
         }},
        {QStringLiteral("resourcestring"),
         [](QPainter &p) {
             globe(p, QPointF(14, 14), 11);
             badge(p, kGreen, '+');
         }},
        {QStringLiteral("deleterow"),
         [](QPainter &p) {
             table(p, QRectF(3, 4, 24, 20));
             badge(p, kRed, 'x');
         }},
        {QStringLiteral("deletestringtable"),
         [](QPainter &p) {
             globe(p, QPointF(14, 14), 11);
             badge(p, kRed, '-');
         }},
        {QStringLiteral("excel"),
         [](QPainter &p) {
             table(p, QRectF(9, 5, 20, 22));
             p.setPen(QPen(kGreen.darker(140), 1.2));
             p.setBrush(kGreen);
             p.drawRoundedRect(QRectF(2, 8, 16, 16), 2, 2);
             p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(6.5, 12.5), QPointF(13.5, 19.5));
             p.drawLine(QPointF(6.5, 19.5), QPointF(13.5, 12.5));
         }},
        {QStringLiteral("properties"),
         [](QPainter &p) {
             p.setPen(ink(2.0));
             for (int i = 0; i < 3; ++i) {
                 const qreal y = 8 + i * 8;
                 p.drawLine(QPointF(4, y), QPointF(28, y));
             }
             p.setBrush(kAmber);
             p.drawEllipse(QPointF(11, 8), 3.5, 3.5);
             p.drawEllipse(QPointF(21, 16), 3.5, 3.5);
             p.drawEllipse(QPointF(14, 24), 3.5, 3.5);
         }},
        {QStringLiteral("info"), [](QPainter &p) { circleGlyph(p, kBlue, QStringLiteral("i")); }},
        {QStringLiteral("help"), [](QPainter &p) { circleGlyph(p, kGreen, QStringLiteral("?")); }},
        {QStringLiteral("switch"),
         [](QPainter &p) {
             QFont font(QStringLiteral("DejaVu Sans"));
             font.setBold(true);
             font.setPixelSize(12);
             p.setFont(font);
             p.setPen(ink(1.5));
             p.setBrush(kPaper);
             p.drawRoundedRect(QRectF(2, 3, 17, 14), 3, 3);
             p.setBrush(QColor(0xd7, 0xe8, 0xfb));
             p.drawRoundedRect(QRectF(13, 15, 17, 14), 3, 3);
             p.setPen(kInk);
             p.drawText(QRectF(2, 3, 17, 14), Qt::AlignCenter, QStringLiteral("A"));
             p.drawText(QRectF(13, 15, 17, 14), Qt::AlignCenter, QString::fromUtf8("\xc3\x84"));
         }},
    };
    return all;
}

QPixmap render(const Painter &paint, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0);
    paint(p);
    return pixmap;
}

} // namespace

QIcon ToolbarIcon(const QString &imageKey)
{
    const auto found = painters().find(imageKey);
    if (found == painters().end())
        return {};
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(render(found->second, size));
    return icon;
}

const QStringList &ToolbarImageKeys()
{
    static const QStringList keys = [] {
        QStringList list;
        for (const auto &[key, paint] : painters())
            list.append(key);
        return list;
    }();
    return keys;
}
