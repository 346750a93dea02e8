#include "tests/TestSupport.h"

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

void PrintTo(const QColor &color, std::ostream *os)
{
    *os << color.name().toStdString();
}

QColor pixelAt(const QImage &image, int x, int y)
{
    return QColor(image.pixel(x, y)).toRgb();
}
