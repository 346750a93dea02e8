#include "controls/ButtonWithColor.h"

#include <QPainter>

namespace {

// One ring of a Windows style edge: the top and left lines in one colour, the bottom and right lines
// (with the top-right and bottom-left corners) in the other.
void drawRing(QPainter &painter, const QRect &r, const QColor &topLeft, const QColor &bottomRight)
{
    painter.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

// A dotted rectangle that inverts every second pixel, so it shows on any face colour.
void drawFocusDots(QPainter &painter, const QRect &r)
{
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    auto dot = [&](int x, int y) {
        if ((x - r.left() + y - r.top()) % 2 == 0)
            painter.fillRect(x, y, 1, 1, Qt::black);
    };
    for (int x = r.left(); x <= r.right(); ++x) {
        dot(x, r.top());
        if (r.bottom() != r.top())
            dot(x, r.bottom());
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        dot(r.left(), y);
        if (r.right() != r.left())
            dot(r.right(), y);
    }
    painter.restore();
}

} // namespace

TBitBtnWithColor::TBitBtnWithColor(QWidget *parent)
    : TBitBtnWithColor(QString(), parent)
{}

TBitBtnWithColor::TBitBtnWithColor(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{
    // The face, edge and frame cover every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TColor TBitBtnWithColor::FontColor() const
{
    return fromQColor(palette().color(QPalette::Active, QPalette::ButtonText));
}

void TBitBtnWithColor::setColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void TBitBtnWithColor::setFontColor(TColor color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::ButtonText, toQColor(color));
    setPalette(pal);
}

void TBitBtnWithColor::setMargin(int margin)
{
    if (margin == m_margin)
        return;
    m_margin = margin;
    update();
}

void TBitBtnWithColor::setSpacing(int spacing)
{
    if (spacing == m_spacing)
        return;
    m_spacing = spacing;
    update();
}

void TBitBtnWithColor::setLayout(ButtonLayout layout)
{
    if (layout == m_layout)
        return;
    m_layout = layout;
    update();
}

void TBitBtnWithColor::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor face = toQColor(m_color);
    const bool pressed = isDown();
    // A focused button acts as the default one, as a dialog's default button does while no other
    // button has the focus.
    const bool focused = hasFocus();
    QRect r = rect();

    if (focused || isDefault()) {
        drawRing(painter, r, toQColor(clWindowFrame), toQColor(clWindowFrame));
        r.adjust(1, 1, -1, -1);
    }

    if (pressed) {
        painter.fillRect(r, face);
        drawRing(painter, r, toQColor(clBtnShadow), toQColor(clBtnShadow));
    } else {
        drawRing(painter, r, toQColor(clBtnHighlight), toQColor(cl3DDkShadow));
        r.adjust(1, 1, -1, -1);
        drawRing(painter, r, toQColor(cl3DLight), toQColor(clBtnShadow));
        r.adjust(1, 1, -1, -1);
        painter.fillRect(r, face);
    }
    r.adjust(1, 1, -1, -1);

    int flags = Qt::TextShowMnemonic | Qt::AlignVCenter;
    if (m_margin < 0) {
        flags |= Qt::AlignHCenter;
    } else {
        flags |= Qt::AlignLeft;
        r.setLeft(r.left() + m_margin);
    }
    if (pressed)
        r.translate(1, 1);
    if (isEnabled()) {
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(r, flags, text());
    } else {
        // Embossed in fixed colours: a disabled caption looks the same whatever its font colour.
        painter.setPen(toQColor(clWhite));
        painter.drawText(r.translated(1, 1), flags, text());
        painter.setPen(toQColor(clGray));
        painter.drawText(r, flags, text());
    }

    if (focused)
        drawFocusDots(painter, rect().adjusted(4, 4, -4, -4));
}
