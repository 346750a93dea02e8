#pragma once

#include "platform/Graphics.h"

#include <QPolygon>
#include <QWidget>

#include <array>

enum DigitBorderStyle {
    bsNone,
    bsSingle
};

// Segment bits of a digit: index i of digitSegments() is drawn lit when bit i is set.
enum DigitSegment : quint8 {
    dsTop = 1,
    dsMiddle = 2,
    dsBottom = 4,
    dsUpperLeft = 8,
    dsUpperRight = 16,
    dsLowerLeft = 32,
    dsLowerRight = 64,
    dsPoint = 128,
};

// The segment bits that show each digit 0..9.
inline constexpr std::array<quint8, 10> DigitTable = {125, 80, 55, 87, 90, 79, 111, 81, 127, 95};

// The eight segment polygons of a digit drawn in width x height pixels, in bit order (top, middle,
// bottom, upper left, upper right, lower left, lower right, decimal point).
std::array<QPolygon, 8> digitSegments(int width, int height, int thickness, int separation);

// A seven-segment digit drawn from polygons; the lane time displays are made of five of them.
class TDigit : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE setValue)
    Q_PROPERTY(quint8 ValueBinary READ ValueBinary WRITE setValueBinary)
    Q_PROPERTY(TColor ColorOn READ ColorOn WRITE setColorOn)
    Q_PROPERTY(TColor ColorOff READ ColorOff WRITE setColorOff)
    Q_PROPERTY(TColor Color READ Color WRITE setColor)
    Q_PROPERTY(int Thickness READ Thickness WRITE setThickness)
    Q_PROPERTY(int Separation READ Separation WRITE setSeparation)
    Q_PROPERTY(DigitBorderStyle BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)

public:
    explicit TDigit(QWidget *parent = nullptr);

    int Value() const { return m_value; }
    quint8 ValueBinary() const { return m_valueBinary; }
    TColor ColorOn() const { return m_colorOn; }
    TColor ColorOff() const { return m_colorOff; }
    TColor Color() const { return m_color; }
    int Thickness() const { return m_thickness; }
    int Separation() const { return m_separation; }
    DigitBorderStyle BorderStyle() const { return m_borderStyle; }
    int Tag() const { return m_tag; }

    QSize sizeHint() const override;

public slots:
    void setValue(int value);
    void setValueBinary(quint8 bits);
    void setColorOn(TColor color);
    void setColorOff(TColor color);
    void setColor(TColor color);
    void setThickness(int thickness);
    void setSeparation(int separation);
    void setBorderStyle(DigitBorderStyle style);
    void setTag(int tag) { m_tag = tag; }

signals:
    // Value was set outside 0..9 and fell back to 0.
    void OnOverflow();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_value = 0;
    quint8 m_valueBinary = DigitTable[0];
    TColor m_colorOn = clYellow;
    TColor m_colorOff = clBlack;
    TColor m_color = clBlack;
    int m_thickness = 2;
    int m_separation = 1;
    DigitBorderStyle m_borderStyle = bsSingle;
    int m_tag = 0;
};
