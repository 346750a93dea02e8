#include "printing/PagePicture.h"

#include <QPaintDevice>
#include <QPainter>

namespace {
int alivePictures = 0;
int peakPictures = 0;
} // namespace

PagePicture::PagePicture()
{
    peakPictures = qMax(peakPictures, ++alivePictures);
}

PagePicture::~PagePicture()
{
    --alivePictures;
}

int PagePicture::alive()
{
    return alivePictures;
}

int PagePicture::peakAlive()
{
    return peakPictures;
}

void PagePicture::resetPeakAlive()
{
    peakPictures = alivePictures;
}

void drawPage(QPainter &painter, const PagePicture &page, const QRectF &target)
{
    const QPaintDevice *device = painter.device();
    if (page.isNull() || page.paperSizeMm.isEmpty() || !device || target.isEmpty())
        return;
    // A picture replays scaled by the device's resolution over its own, so unscaled the paper
    // would cover its real size at the device's resolution; stretch that onto the target.
    const qreal naturalWidth = page.paperSizeMm.width() / 25.4 * device->logicalDpiX();
    const qreal naturalHeight = page.paperSizeMm.height() / 25.4 * device->logicalDpiY();
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / naturalWidth, target.height() / naturalHeight);
    painter.drawPicture(0, 0, page);
    painter.restore();
}
