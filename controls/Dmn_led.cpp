#include "controls/Dmn_led.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

using PixelTable = std::array<const char *, LedSize>;

constexpr PixelTable CircleOff = {
    ".....222222.....", "...2233333322...", "..233333333331..", ".23333333333331.",
    ".23334443333331.", "2333443333333331", "2333433333333331", "2333433333333331",
    "2333333333333331", "2333333333333331", "2333333333333331", ".23333333333331.",
    ".23333333333331.", "..133333333331..", "...1133333311...", ".....111111.....",
};

constexpr PixelTable CircleOn = {
    ".....222222.....", "...2234444422...", "..234455544441..", ".23455544444441.",
    ".24566644444441.", "2345664444444431", "2455644444444431", "2454444444444431",
    "2454444444444431", "2444444444444331", "2444444444444331", ".24444444444331.",
    ".24444444443331.", "..144444433331..", "...1133333311...", ".....111111.....",
};

// A bar over rows 3 to 12, sunken like the disc: dark rim top and left, light rim bottom and right.
constexpr PixelTable RectangleOff = {
    "................", "................", "................", "2222222222222221",
    "2333333333333331", "2333333333333331", "2333333333333331", "2333333333333331",
    "2333333333333331", "2333333333333331", "2333333333333331", "2333333333333331",
    "1111111111111111", "................", "................", "................",
};

constexpr PixelTable RectangleOn = {
    "................", "................", "................", "2222222222222221",
    "2455554444444441", "2566654444444441", "2566544444444441", "2554444444444441",
    "2544444444444441", "2444444444444441", "2444444444444441", "2444444444444441",
    "1111111111111111", "................", "................", "................",
};

} // namespace

int ledColorIndex(TLedShape shape, bool on, int x, int y)
{
    if (x < 0 || y < 0 || x >= LedSize || y >= LedSize)
        return 0;
    const PixelTable &table =
        shape == lsCircle ? (on ? CircleOn : CircleOff) : (on ? RectangleOn : RectangleOff);
    const char c = table[size_t(y)][x];
    return c == '.' ? 0 : c - '0';
}

std::array<TColor, 7> ledPalette(TLedKind kind)
{
    // Indices 1 to 3 (rims and black) are shared; 4 and 5 give the kind its colour.
    static constexpr std::array<std::array<TColor, 2>, 7> lamp = {{
        {0x0000FF, 0xFF00FF}, // lkRed
        {0x00FF00, 0x00FFFF}, // lkGreen
        {0x00FFFF, 0xFFFFFF}, // lkYellow
        {0x808000, 0xFFFF00}, // lkCyan
        {0xFF00FF, 0xFFFFFF}, // lkMagenta
        {0xFF0000, 0xFFFF00}, // lkBlue
        {0x808080, 0xC0C0C0}, // lkWhite
    }};
    const auto &colours = lamp[size_t(kind)];
    return {clBlack, clWhite, clGray, clBlack, colours[0], colours[1], clWhite};
}

TLed::TLed(QWidget *parent)
    : QWidget(parent)
{
    resize(sizeHint());
}

QSize TLed::sizeHint() const
{
    return QSize(LedSize, LedSize);
}

void TLed::setKind(TLedKind kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    update();
}

void TLed::setShape(TLedShape shape)
{
    if (shape == m_shape)
        return;
    m_shape = shape;
    update();
}

void TLed::setValue(bool value)
{
    if (value == m_value)
        return;
    m_value = value;
    update();
    updateLabel();
    emit OnChange();
}

QLabel *TLed::LabelLinked() const
{
    return m_label;
}

void TLed::setLabelLinked(QLabel *label)
{
    m_label = label;
    updateLabel();
}

void TLed::setLabelOnText(const QString &text)
{
    m_labelOnText = text;
    updateLabel();
}

void TLed::setLabelOffText(const QString &text)
{
    m_labelOffText = text;
    updateLabel();
}

void TLed::updateLabel()
{
    if (m_label)
        m_label->setText(m_value ? m_labelOnText : m_labelOffText);
}

void TLed::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    const auto palette = ledPalette(m_kind);
    std::array<QColor, 7> colours;
    for (size_t i = 1; i < palette.size(); ++i)
        colours[i] = toQColor(palette[i]);

    // Pixels of index 0 stay untouched so the parent shows through the corners.
    for (int y = 0; y < LedSize; ++y) {
        for (int x = 0; x < LedSize; ++x) {
            const int index = ledColorIndex(m_shape, m_value, x, y);
            if (index != 0)
                painter.fillRect(x, y, 1, 1, colours[size_t(index)]);
        }
    }
}

void TLed::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QWidget::mousePressEvent(event);
}

void TLed::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a press and a release of the left button both on the lamp.
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        emit OnClick();
}
