#include "controls/Udigit.h"

#include <QPainter>

std::array<QPolygon, 8> digitSegments(int width, int height, int thickness, int separation)
{
    const int W = width - 1;
    const int H = height - 1;
    const int T = thickness;
    const int S = separation;
    const int h = H / 2;

    std::array<QPolygon, 8> segments;

    // Horizontal bars: top, middle, bottom.
    const std::array<int, 3> rows = {0, h - T, H - 2 * T};
    for (int i = 0; i < 3; ++i) {
        const int c = rows[i];
        segments[i] = QPolygon({QPoint(T + S, c + T), QPoint(S + 2 * T, c), QPoint(W - 2 * T - S, c),
                                QPoint(W - T - S, c + T), QPoint(W - 2 * T - S, c + 2 * T),
                                QPoint(S + 2 * T, c + 2 * T)});
    }

    // Vertical bars: upper left, upper right, lower left, lower right.
    const std::array<int, 2> tops = {0, h - T};
    const std::array<int, 2> sides = {0, W - 2 * T};
    for (int row = 0; row < 2; ++row) {
        for (int side = 0; side < 2; ++side) {
            const int c = tops[row];
            const int f = sides[side];
            segments[3 + 2 * row + side] = QPolygon(
                {QPoint(f, c + S + 2 * T), QPoint(f + T, c + T + S), QPoint(f + 2 * T, c + S + 2 * T),
                 QPoint(f + 2 * T, c + h - T - S), QPoint(f + T, c + h - S), QPoint(f, c + h - T - S)});
        }
    }

    segments[7] = QPolygon({QPoint(W, H), QPoint(W + S - 2 * T, H), QPoint(W, H + S - 2 * T)});
    return segments;
}

TDigit::TDigit(QWidget *parent)
    : QWidget(parent)
{
    // Every pixel is painted, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(sizeHint());
}

QSize TDigit::sizeHint() const
{
    return QSize(16, 32);
}

void TDigit::setValue(int value)
{
    if (value == m_value)
        return;
    if (value < 0 || value > 9) {
        m_value = 0;
        emit OnOverflow();
    } else {
        m_value = value;
    }
    m_valueBinary = DigitTable[m_value];
    update();
}

void TDigit::setValueBinary(quint8 bits)
{
    if (bits == m_valueBinary)
        return;
    m_valueBinary = bits;
    update();
}

void TDigit::setColorOn(TColor color)
{
    if (color == m_colorOn)
        return;
    m_colorOn = color;
    update();
}

void TDigit::setColorOff(TColor color)
{
    if (color == m_colorOff)
        return;
    m_colorOff = color;
    update();
}

void TDigit::setColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void TDigit::setThickness(int thickness)
{
    // A thicker bar would not fit the digit's box.
    if (thickness > width() / 2 || thickness > height() / 2)
        return;
    m_thickness = thickness;
    update();
}

void TDigit::setSeparation(int separation)
{
    m_separation = separation;
    update();
}

void TDigit::setBorderStyle(DigitBorderStyle style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    update();
}

void TDigit::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    const QColor background = toQColor(m_color);
    painter.fillRect(rect(), background);

    // The pen in the background colour gives each segment a one-pixel outline; no antialiasing, so
    // the polygons land on exact pixels.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(background, 1));
    const QBrush on(toQColor(m_colorOn));
    const QBrush off(toQColor(m_colorOff));
    const auto segments = digitSegments(width(), height(), m_thickness, m_separation);
    for (size_t i = 0; i < segments.size(); ++i) {
        const quint8 mask = quint8(1u << i);
        painter.setBrush((m_valueBinary & mask) == mask ? on : off);
        painter.drawPolygon(segments[i]);
    }
}
