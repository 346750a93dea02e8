#include "app/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

void drawSheet(QPainter &p, const QRectF &r, const QColor &fill)
{
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - 5, r.top());
    sheet.lineTo(r.right(), r.top() + 5);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setBrush(fill);
    p.drawPath(sheet);
}

void drawLines(QPainter &p, qreal x0, qreal x1, qreal y, int count)
{
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(x0, y + 3 * i), QPointF(x1, y + 3 * i));
}

QPixmap paint(ToolIcon which, bool disabled)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = disabled ? QColor(0x9a, 0x9a, 0x9a) : QColor(0x20, 0x20, 0x20);
    auto tint = [&](QColor c) { return disabled ? QColor(0xd0, 0xd0, 0xd0) : c; };
    p.setPen(QPen(ink, 1.2));
    switch (which) {
    case ToolIcon::Load:
        p.setBrush(tint(QColor(0xf0, 0xc0, 0x40)));
        p.drawRect(QRectF(2.5, 6.5, 19, 14));
        p.drawRect(QRectF(2.5, 4.5, 8, 2));
        p.setBrush(tint(QColor(0xff, 0xe0, 0x80)));
        p.drawPolygon(
            QPolygonF({QPointF(5.5, 10.5), QPointF(23, 10.5), QPointF(20, 20.5), QPointF(2.5, 20.5)}));
        break;
    case ToolIcon::Save:
        p.setBrush(tint(QColor(0x30, 0x50, 0xa0)));
        p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 1.5, 1.5);
        p.setBrush(tint(Qt::white));
        p.drawRect(QRectF(6.5, 3.5, 11, 7));
        p.setBrush(tint(QColor(0xc0, 0xc0, 0xc0)));
        p.drawRect(QRectF(7.5, 13.5, 9, 7));
        break;
    case ToolIcon::Certificates:
        drawSheet(p, QRectF(4.5, 2.5, 15, 19), tint(QColor(0xff, 0xf8, 0xe0)));
        drawLines(p, 7.5, 16.5, 7.5, 3);
        p.setBrush(tint(QColor(0xd0, 0x20, 0x20)));
        p.drawEllipse(QPointF(15.5, 17.5), 3.5, 3.5);
        break;
    case ToolIcon::Print:
        p.setBrush(tint(Qt::white));
        p.drawRect(QRectF(6.5, 2.5, 11, 8));
        p.setBrush(tint(QColor(0x90, 0x90, 0x90)));
        p.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 2, 2);
        p.setBrush(tint(Qt::white));
        p.drawRect(QRectF(6.5, 15.5, 11, 6));
        break;
    case ToolIcon::Excel:
        p.setBrush(tint(Qt::white));
        p.drawRect(QRectF(2.5, 3.5, 19, 17));
        p.setPen(QPen(tint(QColor(0x10, 0x7c, 0x41)), 1));
        for (qreal y = 7.5; y < 20; y += 4)
            p.drawLine(QPointF(2.5, y), QPointF(21.5, y));
        p.drawLine(QPointF(9.5, 3.5), QPointF(9.5, 20.5));
        p.drawLine(QPointF(15.5, 3.5), QPointF(15.5, 20.5));
        break;
    case ToolIcon::Html:
        p.setBrush(tint(QColor(0x60, 0xa0, 0xe0)));
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 4, 9.5);
        p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
        break;
    case ToolIcon::RemoveRow:
        p.setBrush(tint(Qt::white));
        p.drawRect(QRectF(2.5, 5.5, 19, 13));
        p.setPen(QPen(tint(QColor(0xd0, 0x10, 0x10)), 2.4));
        p.drawLine(QPointF(7, 8), QPointF(17, 16));
        p.drawLine(QPointF(17, 8), QPointF(7, 16));
        break;
    }
    return pixmap;
}

} // namespace

QIcon toolIcon(ToolIcon which)
{
    QIcon icon;
    icon.addPixmap(paint(which, false), QIcon::Normal);
    icon.addPixmap(paint(which, true), QIcon::Disabled);
    return icon;
}
