#pragma once

#include <QPicture>
#include <QRectF>
#include <QSizeF>

#include <stdexcept>

class QPainter;

// "Not enough memory to create a new page": a page could not be recorded or stored.
class EOutOfMemory : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One recorded page: a picture in the picture's own pixels plus the paper it was drawn on. Every
// instance is counted, so tests and benchmarks can see how many pages are held at once.
class PagePicture : public QPicture
{
public:
    PagePicture();
    ~PagePicture() override;
    PagePicture(const PagePicture &) = delete;
    PagePicture &operator=(const PagePicture &) = delete;

    // The paper the page was recorded for, in millimetres; empty for an empty picture.
    QSizeF paperSizeMm;

    static int alive();
    static int peakAlive();
    static void resetPeakAlive();
};

// Draws a recorded page stretched so that its paper fills target (in the painter's coordinates),
// on any device: the same call shows the sheet, prints, and renders pages in tests.
void drawPage(QPainter &painter, const PagePicture &page, const QRectF &target);
